// The about box: program name, version and the maker's contact data, with a
// link to the maker's web page and the support mail.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zelvon {

class TInformation : public QDialog {
    Q_OBJECT
public:
    explicit TInformation(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Image1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Version;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QPushButton* BitBtn1;

public slots:
    void Label5Click();
    void Label6Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Builds the box, sets its texts, shows it modally and destroys it.
void Info1Click(QWidget* parent);

}  // namespace zelvon
