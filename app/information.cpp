#include "app/information.h"

#include "app/image_list.h"
#include "app/maker.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelvon {
namespace {

QLabel* LinkLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    label->setCursor(Qt::WhatsThisCursor);
    return label;
}

QLabel* TitleLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #000080;"));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPixmap MakerLogo() {
    QPixmap logo(48, 48);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(2, 2, 44, 44, 8, 8);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(30);
    p.setFont(font);
    p.drawText(QRect(2, 2, 44, 44), Qt::AlignCenter, QStringLiteral("S"));
    return logo;
}

}  // namespace

TInformation::TInformation(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = TitleLabel(this);
    Label2 = TitleLabel(this);
    Image1 = new QLabel(this);
    Image1->setPixmap(MakerLogo());
    Label3 = new QLabel(QString::fromUtf8(maker::kAuthorLine), this);
    Label6 = LinkLabel(QString::fromLatin1(maker::kSupportAddress), this);
    Label5 = LinkLabel(QString::fromLatin1(maker::kWebPage), this);
    Label7 = new QLabel(QString::fromUtf8(maker::kPhoneAndFax), this);
    Label4 = new QLabel(QStringLiteral("Version:"), this);
    Version = new QLabel(QStringLiteral("1.0"), this);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0, 1, 3);
    grid->addWidget(Image1, 2, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(Label3, 2, 1, 1, 2);
    grid->addWidget(Label6, 3, 1, 1, 2);
    grid->addWidget(Label5, 4, 1, 1, 2);
    grid->addWidget(Label7, 5, 1, 1, 2);
    grid->addWidget(Label4, 6, 1);
    grid->addWidget(Version, 6, 2);
    grid->addWidget(BitBtn1, 7, 0, 1, 3, Qt::AlignCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    Label5->installEventFilter(this);
    Label6->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

bool TInformation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label5) Label5Click();
        if (watched == Label6) Label6Click();
    }
    return QDialog::eventFilter(watched, event);
}

void TInformation::Label5Click() { shell::OpenAddress(QString::fromLatin1(maker::kWebPage)); }

void TInformation::Label6Click() {
    const QString subject = QApplication::applicationName() + QStringLiteral(" Version: ") + Version->text();
    if (!shell::ComposeMail(QString::fromUtf8(maker::kName), QString::fromLatin1(maker::kSupportAddress), subject)) {
        dialogs::ShowError(this, QString(), QStringLiteral("Fehler"));
    }
}

void Info1Click(QWidget* parent) {
    TInformation box(parent);
    box.Label1->setText(QStringLiteral("Internet Kurse für Quarvinta"));
    box.Label2->setText(QStringLiteral("für Windows(R)XP - 10"));
    box.Version->setText(QString::fromLatin1(maker::kVersion));
    box.exec();
}

}  // namespace zelvon
