// The security entry dialog driven as a user drives it (clicks and keys on
// the offscreen platform) over a copy of the demo data; every result is read
// back by pxlib, by our engine through both secondary indexes, and checked
// with `pxtool check`.
#include "editor/click_label.h"
#include "editor_rig.h"
#include "tools/demodata/catalog.h"

#include <QAction>
#include <QCheckBox>
#include <QMenuBar>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>
#include <chrono>

namespace zelvon::test {
namespace {

using Nav = editor::RecordNavigator::Button;
namespace dd = demodata;

const QByteArray kAllSecurities = "\"Zelvon_Favoriten\"=dword:00000000\r\n";

// The number a new security gets: the one after the kit's highest.
int NewNumber() {
    int32_t highest = 0;
    for (const dd::Security& s : dd::KitSecurities()) highest = std::max(highest, s.firma);
    return highest + 1;
}

void Press(TFirmeneingabe& d, Nav button) { QTest::mouseClick(d.DBNavigator1->button(button), Qt::LeftButton); }

// Key presses carrying each character, also those beyond ASCII.
void KeyIn(QWidget* widget, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Type(QLineEdit* edit, const QString& text) {
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    KeyIn(edit, text);
}

void Choose(QComboBox* box, const QString& entry) {
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && box->currentText() != entry; ++i) QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(box->currentText(), entry);
}

void Tick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

// Moves with Next until the dialog shows security firma.
void GoTo(TFirmeneingabe& d, int firma) {
    Press(d, Nav::First);
    for (int i = 0; i < 60 && d.DBText1->text() != QString::number(firma); ++i) Press(d, Nav::Next);
    ASSERT_EQ(d.DBText1->text(), QString::number(firma));
}

std::vector<bool> Boxes(const TFirmeneingabe& d) {
    return {d.BO1->isChecked(), d.BO2->isChecked(), d.BO3->isChecked(), d.BO4->isChecked()};
}

std::vector<std::string> Column(const QString& table, const char* field) {
    std::vector<std::string> values;
    for (const PxRow& row : PxlibRows(table)) values.push_back(row.at(field));
    return values;
}

bool Holds(const std::vector<std::string>& values, int firma) {
    return std::find(values.begin(), values.end(), std::to_string(firma)) != values.end();
}

// Our engine, on its own session: the memo and the lookups through IWKN and IFirma.
struct EngineView {
    explicit EngineView(const QString& home) {
        table.SetDatabaseName(home.toStdString());
        table.SetTableName("Firma.db");
        EXPECT_TRUE(table.Open().ok());
    }
    int FindBy(const std::string& index, const std::string& key) {
        EXPECT_TRUE(table.SetIndexName(index).ok());
        bool found = false;
        EXPECT_TRUE(table.FindKey({key}, &found).ok());
        return found ? table.FindField("Firma")->AsInteger() : -1;
    }
    std::string Memo(int firma) {
        EXPECT_TRUE(table.SetIndexName("").ok());
        bool found = false;
        EXPECT_TRUE(table.FindKey({int64_t(firma)}, &found).ok());
        return found ? table.FindField("Memo")->AsString() : "?";
    }
    db::Session session;
    db::Table table{session};
};

TEST_F(EditorTest, CreatesAndEditsSecuritiesAndKeepsTheirWatchLists) {
    StartMainWindow(kAllSecurities);
    TFirmeneingabe& d = OpenEditor();
    EXPECT_EQ(d.windowTitle(), "Eingabe eines neuen Wertpapiers mit + ");
    EXPECT_EQ(d.SenderLabels[3]->text(), "MEHR");
    EXPECT_EQ(d.BO4->text(), "4.Beobachtungsliste");
    EXPECT_EQ(d.DBNavigator1->button(Nav::Insert)->toolTip(), "Datensatz einfügen");
    QDir().mkpath(SCREENSHOT_DIR);
    for (int tab = 0; tab < 2; ++tab) {
        d.PageControl1->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString name = tab == 0 ? "wertpapier" : "informationen";
        EXPECT_TRUE(d.grab().save(QStringLiteral(SCREENSHOT_DIR "/security_editor_%1.png").arg(name)));
    }
    d.PageControl1->setCurrentIndex(0);

    // A new security: the number after the highest, every kind of field.
    Press(d, Nav::Insert);
    EXPECT_EQ(d.DBText1->text(), QString::number(NewNumber()));
    Type(d.DBEdit1, QStringLiteral("Zeta Prüfwerk AG"));
    Type(d.DBEdit2, "ZPW403");
    Choose(d.DBLookupComboBox1, "CHF");
    Type(d.DBEdit3, "CH0004030001");
    Type(d.DBEdit4, "ZPW.SW");
    Choose(d.DBLookupComboBox2, "Aktien Schweiz");
    Choose(d.DBLookupComboBox3, "Maschinenbau");
    Choose(d.DBLookupComboBox4, "Schweiz");
    Tick(d.DBCheckBox1);
    const char* codes[] = {"ZETA", "ZPW N", "ZPW S", "ZPW M"};
    for (size_t i = 0; i < 4; ++i) Type(d.SenderEdits[i], codes[i]);
    d.PageControl1->setCurrentIndex(1);
    const QString memo = QStringLiteral("Prüfstände für Getriebe; Werk in Schaffhausen, gegründet 1911, 240 Beschäftigte.");
    KeyIn(d.DBRichEdit1, memo);
    Type(d.DBEdit9, "https://www.zeta.example");
    Press(d, Nav::Post);
    EXPECT_FALSE(d.record().Modified());
    EXPECT_EQ(d.DBText1->text(), QString::number(NewNumber()));

    // On and off list 2, then onto lists 1 and 3.
    Tick(d.BO2);
    EXPECT_TRUE(Holds(Column(Table("Watch2.db"), "Firma"), NewNumber()));
    Tick(d.BO2);
    EXPECT_FALSE(Holds(Column(Table("Watch2.db"), "Firma"), NewNumber()));
    Tick(d.BO1);
    Tick(d.BO3);

    // The boxes follow the record: Allianz (first by name) is on list 1 only.
    Press(d, Nav::First);
    EXPECT_EQ(d.DBText1->text(), "4");
    EXPECT_EQ(Boxes(d), (std::vector<bool>{true, false, false, false}));
    GoTo(d, NewNumber());
    EXPECT_EQ(Boxes(d), (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(d.DBEdit1->text(), QStringLiteral("Zeta Prüfwerk AG"));

    // Editing Allianz and moving on posts it.
    Press(d, Nav::First);
    Choose(d.DBLookupComboBox1, "USD");
    Choose(d.DBLookupComboBox2, "Aktien USA");
    Tick(d.DBCheckBox1);
    d.DBRichEdit1->selectAll();
    KeyIn(d.DBRichEdit1, "Neu");
    Press(d, Nav::Next);
    EXPECT_FALSE(d.record().Modified());

    const std::vector<PxRow> rows = PxlibRows(Table("Firma.db"));
    EXPECT_EQ(rows.size(), dd::KitSecurities().size() + 1);
    const PxRow* zeta = RowOf(rows, NewNumber());
    ASSERT_NE(zeta, nullptr);
    EXPECT_EQ(zeta->at("FirmenName"), "Zeta Prüfwerk AG");
    EXPECT_EQ(zeta->at("Kennung"), "ZPW403");
    EXPECT_EQ(zeta->at("Waehrung"), "CHF");
    EXPECT_EQ(zeta->at("ISIN"), "CH0004030001");
    EXPECT_EQ(zeta->at("Ticker"), "ZPW.SW");
    EXPECT_EQ(zeta->at("Gruppe"), "3");
    EXPECT_EQ(zeta->at("Branche"), "8");
    EXPECT_EQ(zeta->at("Merkmal"), "3");
    EXPECT_EQ(zeta->at("Aktiv"), "1");
    EXPECT_EQ(zeta->at("Sender4"), "ZPW M");
    EXPECT_EQ(zeta->at("Internet"), "https://www.zeta.example");
    const PxRow* allianz = RowOf(rows, 4);
    ASSERT_NE(allianz, nullptr);
    EXPECT_EQ(allianz->at("Waehrung"), "USD");
    EXPECT_EQ(allianz->at("Gruppe"), "2");
    EXPECT_EQ(allianz->at("Aktiv"), "0");
    EXPECT_EQ(allianz->at("FirmenName"), "Allianz SE");

    EngineView engine(data_);
    EXPECT_EQ(engine.FindBy("IWKN", "ZPW403"), NewNumber());
    EXPECT_EQ(engine.FindBy("IFirma", "Zeta Prüfwerk AG"), NewNumber());
    EXPECT_EQ(QString::fromStdString(engine.Memo(NewNumber())), memo);
    EXPECT_EQ(engine.Memo(4), "Neu");

    EXPECT_TRUE(Holds(Column(Table("Watch.db"), "Firma"), NewNumber()));
    EXPECT_TRUE(Holds(Column(Table("Watch3.db"), "Firma"), NewNumber()));
    EXPECT_EQ(Column(Table("Watch2.db"), "Firma").size(), dd::KitWatchList(2).size());
    EXPECT_EQ(Column(Table("Watch.db"), "Firma").size(), dd::KitWatchList(1).size() + 1);
    ExpectTablesWhole();
}

TEST_F(EditorTest, CloseAsksToSaveAChangeAndTheCloseBoxDoesNot) {
    StartMainWindow(kAllSecurities);
    auto ticker = [this] { return RowOf(PxlibRows(Table("Firma.db")), 4)->at("Ticker"); };

    // The menu item opens the dialog modally on the main window's table.
    QAction* menuItem = nullptr;
    for (QAction* action : form_->menuBar()->actions())
        if (action->text() == "&Wertpapier") menuItem = action;
    ASSERT_NE(menuItem, nullptr);
    QString shownNumber;
    QTimer::singleShot(50, [&shownNumber] {
        if (auto* shown = qobject_cast<TFirmeneingabe*>(QApplication::activeModalWidget())) {
            shownNumber = shown->DBText1->text();
            QTest::mouseClick(shown->BitBtn1, Qt::LeftButton);
        }
    });
    menuItem->trigger();
    EXPECT_EQ(shownNumber, "4");

    TFirmeneingabe& first = OpenEditor();
    ASSERT_EQ(first.DBText1->text(), "4");
    Type(first.DBEdit4, "ALV.XX");
    answers_->Button(QMessageBox::No);
    QTest::mouseClick(first.BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(first.isVisible());
    EXPECT_EQ(answers_->seen(),
              QStringList{"Wertpapier speichern?|Änderung wurde noch nicht gespeichert. Jetzt speichern?"});
    EXPECT_EQ(ticker(), "ALV.DE");

    TFirmeneingabe& second = OpenEditor();
    EXPECT_EQ(second.DBEdit4->text(), "ALV.DE");
    Type(second.DBEdit4, "ALV.YY");
    answers_->Button(QMessageBox::Yes);
    QTest::mouseClick(second.BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(ticker(), "ALV.YY");

    TFirmeneingabe& third = OpenEditor();
    Type(third.DBEdit4, "ALV.ZZ");
    third.close();
    QTest::mouseClick(OpenEditor().BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(answers_->seen().isEmpty());
    EXPECT_EQ(ticker(), "ALV.YY");
    ExpectTablesWhole();
}

TEST_F(EditorTest, RefusedAndLockedPostsLoseNoInput) {
    StartMainWindow(kAllSecurities);
    TFirmeneingabe& d = OpenEditor();
    ASSERT_EQ(d.DBText1->text(), "4");
    const std::vector<PxRow> before = PxlibRows(Table("Firma.db"));

    // "→" is not in code page 1252.
    Type(d.DBEdit3, QStringLiteral("DE→000840400"));
    answers_->Button(QMessageBox::Ok);
    Press(d, Nav::Post);
    ASSERT_EQ(answers_->seen().size(), 1);
    EXPECT_TRUE(answers_->seen()[0].contains("Das Feld ISIN")) << answers_->seen()[0].toStdString();
    EXPECT_EQ(d.DBEdit3->text(), QStringLiteral("DE→000840400"));
    EXPECT_TRUE(d.record().Modified());
    EXPECT_EQ(PxlibRows(Table("Firma.db")), before);

    Type(d.DBEdit3, "DE0008404099");
    Type(d.DBEdit1, "Allianz SE Neu");
    {
        LockHolder lock(Table("Firma.db").toStdString());
        d.record().table().SetLockWait(std::chrono::milliseconds(200));
        answers_->Button(QMessageBox::Ok);
        Press(d, Nav::Post);
        answers_->Button(QMessageBox::Ok);
        Press(d, Nav::Next);
        ASSERT_EQ(answers_->seen().size(), 3);
        EXPECT_TRUE(answers_->seen()[1].contains("gesperrt")) << answers_->seen()[1].toStdString();
        EXPECT_TRUE(answers_->seen()[2].contains("gesperrt"));
        EXPECT_EQ(d.DBText1->text(), "4");
        EXPECT_EQ(d.DBEdit1->text(), "Allianz SE Neu");
        EXPECT_EQ(d.DBEdit3->text(), "DE0008404099");
        EXPECT_EQ(PxlibRows(Table("Firma.db")), before);
    }
    {
        // A locked watch list: the box goes back to what the list holds.
        LockHolder lock(Table("Watch4.db").toStdString());
        d.watchLists().SetLockWait(std::chrono::milliseconds(200));
        answers_->Button(QMessageBox::Ok);
        Tick(d.BO4);
        EXPECT_TRUE(answers_->seen().last().contains("Watch4.db")) << answers_->seen().last().toStdString();
        EXPECT_FALSE(d.BO4->isChecked());
    }
    Press(d, Nav::Post);
    EXPECT_TRUE(answers_->AllAnswered());
    const PxRow* allianz = RowOf(PxlibRows(Table("Firma.db")), 4);
    EXPECT_EQ(allianz->at("FirmenName"), "Allianz SE Neu");
    EXPECT_EQ(allianz->at("ISIN"), "DE0008404099");
    EXPECT_EQ(EngineView(data_).FindBy("IFirma", "Allianz SE Neu"), 4);
    EXPECT_TRUE(Column(Table("Watch4.db"), "Firma").empty());
    ExpectTablesWhole();
}

TEST_F(EditorTest, CodeCommandsWorkOnTheAdmittedSecuritiesOnly) {
    // Favourites only (the default), and a second broadcaster that names no field.
    StartMainWindow("\"Sender2\"=\"Teletext\"\r\n");
    TFirmeneingabe& d = OpenEditor();
    ASSERT_EQ(d.SenderLabels[1]->text(), "Teletext");
    const std::vector<PxRow> before = PxlibRows(Table("Firma.db"));

    answers_->Button(QMessageBox::Yes);
    answers_->Button(QMessageBox::Ok);
    QTest::mouseClick(d.SenderLabels[1], Qt::LeftButton);
    EXPECT_TRUE(answers_->AllAnswered());
    EXPECT_EQ(answers_->seen()[0], "Kennung MEHR ersetzen?|Kennungen von Teletext zu Kennung MEHR übertragen");
    EXPECT_TRUE(answers_->seen()[1].contains("Teletext")) << answers_->seen()[1].toStdString();
    EXPECT_EQ(d.record().table().GetState(), db::Table::State::kBrowse);
    EXPECT_EQ(PxlibRows(Table("Firma.db")), before);

    // No to the first question still asks the second; "neun" and a cancel change nothing.
    answers_->Button(QMessageBox::No);
    answers_->Button(QMessageBox::Yes);
    answers_->Input("neun");
    answers_->Button(QMessageBox::Ok);
    answers_->Button(QMessageBox::No);
    answers_->Button(QMessageBox::Yes);
    answers_->CancelInput();
    QTest::mouseClick(d.SenderLabels[2], Qt::LeftButton);
    QTest::mouseClick(d.SenderLabels[2], Qt::LeftButton);
    EXPECT_TRUE(answers_->AllAnswered());
    ASSERT_EQ(answers_->seen().size(), 9);
    EXPECT_EQ(answers_->seen()[3], "Kennung kürzen?|Kennungen von SF1 verkürzen aus x-Zeichen");
    EXPECT_EQ(answers_->seen()[4], "Kennungen von SF1 verkürzen aus x-Zeichen|X:");
    EXPECT_TRUE(answers_->seen()[5].contains("neun"));
    EXPECT_EQ(PxlibRows(Table("Firma.db")), before);

    // Both commands on ZDF: copied to Sender4, then cut to 3 characters.
    answers_->Button(QMessageBox::Yes);
    answers_->Button(QMessageBox::Yes);
    answers_->Input("3");
    QTest::mouseClick(d.SenderLabels[0], Qt::LeftButton);
    EXPECT_TRUE(answers_->AllAnswered());
    EXPECT_EQ(answers_->seen().size(), 12);
    EXPECT_TRUE(d.record().Eof());

    const std::vector<PxRow> after = PxlibRows(Table("Firma.db"));
    int changed = 0;
    for (const dd::Security& s : dd::KitSecurities()) {
        const PxRow* row = RowOf(after, s.firma);
        ASSERT_NE(row, nullptr) << s.firma;
        if (s.aktiv && !s.kennung.empty()) {
            ++changed;
            EXPECT_EQ(row->at("Sender4"), s.zdf) << s.firma;
            EXPECT_EQ(row->at("ZDF"), s.zdf.substr(0, 3)) << s.firma;
        } else {
            EXPECT_EQ(*row, *RowOf(before, s.firma)) << s.firma;
        }
    }
    EXPECT_EQ(changed, 9);
    ExpectTablesWhole();
}

}  // namespace
}  // namespace zelvon::test
