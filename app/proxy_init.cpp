#include "app/proxy_init.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace zelvon {

TProxyInit::TProxyInit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Einstellungen der Internetoptionen"));
    ProxyHostEdit = new QLineEdit(this);
    ProxyHostEdit->setToolTip(QStringLiteral("geben Sie hier den Proxy-Server ein"));
    ProxyPortEdit = new QLineEdit(this);
    Edit1 = new QLineEdit(this);
    Edit2 = new QLineEdit(this);
    Edit2->setEchoMode(QLineEdit::Password);
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setToolTip(QStringLiteral("in diese Datei wird die jeweilige Seite lokal gespeichert"));
    Edit3 = new QLineEdit(this);
    Edit4 = new QLineEdit(this);
    Edit4->setEchoMode(QLineEdit::Password);
    for (QLineEdit* masked : {Edit2, Edit4}) {
        masked->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Proxy-Server"), ProxyHostEdit);
    form->addRow(QStringLiteral("Proxy-Port "), ProxyPortEdit);
    form->addRow(QStringLiteral("Proxy-Username"), Edit1);
    form->addRow(QStringLiteral("Proxy-Passwort"), Edit2);
    form->addRow(QStringLiteral("Zwischenspeicher für Internetseite mit Kursewerten"), FileNameEdit);
    form->addRow(QStringLiteral("Username"), Edit3);
    form->addRow(QStringLiteral("Passwort"), Edit4);

    BitBtn2 = new QPushButton(QStringLiteral("Abbrechen"), this);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TProxyInit::Load(const ConnectionFields& f) {
    ProxyHostEdit->setText(f.proxyHost);
    ProxyPortEdit->setText(f.proxyPort);
    Edit1->setText(f.proxyUser);
    Edit2->setText(f.proxyPassword);
    FileNameEdit->setText(f.localFile);
    Edit3->setText(f.user);
    Edit4->setText(f.password);
}

ConnectionFields TProxyInit::Fields() const {
    ConnectionFields f;
    f.proxyUser = Edit1->text();
    f.proxyPassword = Edit2->text();
    f.user = Edit3->text();
    f.password = Edit4->text();
    f.proxyHost = ProxyHostEdit->text();
    f.proxyPort = ProxyPortEdit->text();
    f.localFile = FileNameEdit->text();
    return f;
}

}  // namespace zelvon
