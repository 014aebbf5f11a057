// The internet options dialog: proxy server and port, proxy and site
// credentials, and the local page file of the running program.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace zelvon {

// The seven values the dialog edits, in the order they are copied back on OK.
struct ConnectionFields {
    QString proxyUser;
    QString proxyPassword;
    QString user;
    QString password;
    QString proxyHost;
    QString proxyPort;
    QString localFile;
};

class TProxyInit : public QDialog {
    Q_OBJECT
public:
    explicit TProxyInit(QWidget* parent = nullptr);

    void Load(const ConnectionFields& fields);
    ConnectionFields Fields() const;

    QLineEdit* ProxyHostEdit;
    QLineEdit* ProxyPortEdit;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* FileNameEdit;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QPushButton* BitBtn2;
    QPushButton* BitBtn1;
};

}  // namespace zelvon
