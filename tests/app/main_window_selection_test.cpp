// The main window on a demo data directory: what the selectors show after the
// start, how a source change rebuilds the exchange list and the address, and
// the per-group default button.
#include "app/http_get_form.h"
#include "app/table_access.h"
#include "platform/dialogs.h"
#include "tools/demodata/demo_directory.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

namespace zelvon {
namespace {

class MainWindowSelectionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureApplication();
        dialogs::SetStartedBySwitches(false, false);
    }
    void SetUp() override {
        data_ = dir_.filePath("Daten/");
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
    }
    // Settings with all securities of the first group, favourites off.
    void Start(THttpGetForm& form, const QByteArray& extra = {}) {
        QFile f(dir_.filePath("Quarvinta.reg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n\"Depotpath\"=\"" + data_.toUtf8() + "Depot/\"\r\n"
                "\"Zelvon_Favoriten\"=dword:00000000\r\n" + extra);
        f.close();
        form.SetRegistry(RegistryFile::Load(dir_.filePath("Quarvinta.reg")));
        form.Initial();
    }
    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
        return items;
    }
    QTemporaryDir dir_;
    QString data_;
};

TEST_F(MainWindowSelectionTest, StartListsTheGroupsSecuritiesAndBuildsTheFirstAddress) {
    THttpGetForm form;
    Start(form);
    EXPECT_EQ(form.ComboBox3->itemText(0), QStringLiteral("Alle Werte"));
    EXPECT_EQ(form.ComboBox3->itemText(1), QStringLiteral("akt.Depotwerte"));
    EXPECT_EQ(form.ComboBox3->currentIndex(), 0);

    int withKennung = 0;
    for (const auto& s : demodata::KitSecurities()) withKennung += s.kennung.empty() ? 0 : 1;
    const QStringList listed = Items(form.DBLookupComboBox1);
    EXPECT_EQ(listed.size(), withKennung);
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end())) << "IFirma lists by name";
    EXPECT_FALSE(listed.contains(QStringLiteral("Überseehandel Altbestand GmbH")));

    // The first security's group has no default: the standard source, Yahoo.
    EXPECT_EQ(form.ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form.ComboBox1->count(), 23);
    EXPECT_EQ(form.URLEdit->text(), QStringLiteral("https://de.finance.yahoo.com/quote/") + FieldText(form.Table1, "Ticker"));
    EXPECT_EQ(form.StatusPanel(1), FieldText(form.Table1, "FirmenName"));
    EXPECT_EQ(form.QuoteList.lineCount(), 1) << "the date line";
}

TEST_F(MainWindowSelectionTest, SourceChangeRebuildsExchangesAndAddress) {
    THttpGetForm form;
    Start(form, "\"Zelvon_Host_Comdirect\"=\"comdirect.localhost:8443\"\r\n");
    form.ComboBox2->setCurrentIndex(3);
    EXPECT_EQ(Items(form.ComboBox1), (QStringList{"WKN", "ISIN", "Ticker"}));
    EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
    const QString kennung = FieldText(form.Table1, "Kennung");
    const QString expected = QStringLiteral("https://comdirect.localhost:8443/inf/search/aktien.html?IC_BYPASS=1&"
                                            "SEARCH_REDIRECT=true&REDIRECT_TYPE=WKN&SEARCH_VALUE=") + kennung;
    const QString address = form.URLEdit->text();
    EXPECT_TRUE(address == expected || address == expected + "&SORT=GEN_CURRENCY") << address.toStdString();

    // WinBis keeps the address; only the name in the status bar is refreshed.
    form.ComboBox2->setCurrentIndex(9);
    EXPECT_EQ(form.URLEdit->text(), address);
    EXPECT_EQ(form.ComboBox1->count(), 22);
}

TEST_F(MainWindowSelectionTest, GroupDefaultIsStoredOnceAndChosenForTheGroupsSecurities) {
    {
        THttpGetForm form;
        Start(form);
        form.ComboBox3->setCurrentIndex(form.ComboBox3->findText(QStringLiteral("Aktien USA")));
        ASSERT_GT(form.DBLookupComboBox1->count(), 0);
        form.ComboBox2->setCurrentIndex(11);
        form.ComboBox1->setCurrentIndex(4);
        form.Button3Click();
        form.Button3Click();
        EXPECT_EQ(form.Tables.Table4.RecordCount(), 1u);
    }
    THttpGetForm form;
    Start(form);
    form.ComboBox3->setCurrentIndex(form.ComboBox3->findText(QStringLiteral("Aktien USA")));
    EXPECT_EQ(form.ComboBox2->currentIndex(), 11);
    EXPECT_EQ(form.ComboBox1->currentIndex(), 4);
}

TEST_F(MainWindowSelectionTest, MissingWatchListTableReachesTheErrorBox) {
    QFile::remove(data_ + "Watch2.db");
    THttpGetForm form;
    Start(form);
    form.ComboBox3->setCurrentIndex(3);
    // The selection change is caught at the handler and shown; the window stays usable.
    EXPECT_FALSE(form.closeRequested());
    form.ComboBox3->setCurrentIndex(0);
    EXPECT_GT(form.DBLookupComboBox1->count(), 0);
}

}  // namespace
}  // namespace zelvon
