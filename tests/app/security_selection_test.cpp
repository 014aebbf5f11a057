// The security selection on a complete demo data directory: which securities
// each selection mode admits and which source and exchange a security's group
// asks for.
#include "app/security_selection.h"
#include "app/table_access.h"
#include "tools/demodata/catalog.h"
#include "tools/demodata/demo_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <set>

namespace zelvon {
namespace {

using demodata::KitSecurities;

class SecuritySelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        home_ = dir_.path() + QStringLiteral("/");
        const auto status = demodata::CreateDemoDataDirectory(home_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(status.ok()) << status.message();
        session_.AddPassword(db::kBuiltinPassword);
        selection_.Home = home_;
        selection_.Depot = home_ + demodata::kDepotFolder + QStringLiteral("/");
        selection_.Watch1 = QStringLiteral("1.Beobachtungsliste");
        selection_.Watch2 = QStringLiteral("2.Beobachtungsliste");
        selection_.watch3 = QStringLiteral("3.Beobachtungsliste");
        selection_.watch4 = QStringLiteral("4.Beobachtungsliste");
        selection_.OpenTables();
    }

    // Firma numbers Table1 delivers from its first record on.
    std::set<int32_t> Listed() {
        std::set<int32_t> listed;
        db::Table& t = tables_.Table1;
        for (Check(t.First()); !t.Eof(); Check(t.Next())) listed.insert(FieldInteger(t, "Firma"));
        return listed;
    }
    template <typename Pred>
    static std::set<int32_t> KitWhere(Pred pred) {
        std::set<int32_t> wanted;
        for (const auto& s : KitSecurities()) {
            if (!s.kennung.empty() && pred(s)) wanted.insert(s.firma);
        }
        return wanted;
    }
    static QString GroupName(int32_t index) {
        for (const auto& g : demodata::KitGroups()) {
            if (g.index == index) return QString::fromStdString(g.name);
        }
        return {};
    }

    QTemporaryDir dir_;
    QString home_;
    bool favourites_ = false;
    db::Session session_;
    SuiteTables tables_{session_};
    SecuritySelection selection_{tables_, [this] { return favourites_; }};
};

TEST_F(SecuritySelectionTest, GroupSelectorListsFirstGroupThenDepotAndWatchListsThenTheRest) {
    const QStringList entries = selection_.GroupEntries();
    const auto& groups = demodata::KitGroups();
    ASSERT_EQ(entries.size(), qsizetype(groups.size() + 5));
    EXPECT_EQ(entries[0], QString::fromStdString(groups[0].name));
    EXPECT_EQ(entries[1], kDepotEntry);
    EXPECT_EQ(entries[2], selection_.Watch1);
    EXPECT_EQ(entries[5], selection_.watch4);
    EXPECT_EQ(entries.last(), QString::fromStdString(groups.back().name));
}

TEST_F(SecuritySelectionTest, GroupsFilterByGroupKennungAndFavourites) {
    selection_.ComboBox3Change(GroupName(demodata::kAllGroup));
    EXPECT_EQ(Listed(), KitWhere([](const auto&) { return true; }));

    selection_.ComboBox3Change(GroupName(demodata::kGermanShares));
    EXPECT_EQ(Listed(), KitWhere([](const auto& s) { return s.gruppe == demodata::kGermanShares; }));

    favourites_ = true;
    selection_.ComboBox3Change(GroupName(demodata::kGermanShares));
    EXPECT_EQ(Listed(), KitWhere([](const auto& s) { return s.gruppe == demodata::kGermanShares && s.aktiv; }));
}

TEST_F(SecuritySelectionTest, SecurityWithoutKennungIsNeverListed) {
    const auto without = std::find_if(KitSecurities().begin(), KitSecurities().end(),
                                      [](const auto& s) { return s.kennung.empty(); });
    ASSERT_NE(without, KitSecurities().end());
    for (const QString& entry : selection_.GroupEntries()) {
        selection_.ComboBox3Change(entry);
        EXPECT_EQ(Listed().count(without->firma), 0u) << entry.toStdString();
    }
}

TEST_F(SecuritySelectionTest, WatchListsIgnoreTheFavouritesBox) {
    favourites_ = true;
    const QString names[] = {selection_.Watch1, selection_.Watch2, selection_.watch3, selection_.watch4};
    for (int k = 1; k <= 4; ++k) {
        selection_.ComboBox3Change(names[k - 1]);
        const auto& list = demodata::KitWatchList(k);
        EXPECT_EQ(Listed(), KitWhere([&](const auto& s) {
                      return std::find(list.begin(), list.end(), s.firma) != list.end();
                  }))
            << "watch list " << k;
    }
}

TEST_F(SecuritySelectionTest, DepotListsHoldingsWithFavouritesAndEveryTransactionWithout) {
    const DateTime today = formats::Today();
    auto held = [&](int32_t firma) {
        for (const auto& t : demodata::KitTransactions()) {
            if (t.firma != firma) continue;
            if (t.verkauf.empty()) return true;
            const auto sold = formats::EncodeDate(t.verkauf.year, t.verkauf.month, t.verkauf.day);
            if (sold && *sold > today) return true;
        }
        return false;
    };
    auto traded = [](int32_t firma) {
        const auto& all = demodata::KitTransactions();
        return std::any_of(all.begin(), all.end(), [&](const auto& t) { return t.firma == firma; });
    };

    favourites_ = true;
    selection_.ComboBox3Change(kDepotEntry);
    const std::set<int32_t> holdings = Listed();
    EXPECT_EQ(holdings, KitWhere([&](const auto& s) { return held(s.firma); }));

    favourites_ = false;
    selection_.ComboBox3Change(kDepotEntry);
    const std::set<int32_t> everything = Listed();
    EXPECT_EQ(everything, KitWhere([&](const auto& s) { return traded(s.firma); }));
    EXPECT_LT(holdings.size(), everything.size()) << "the kit should hold sold positions";
}

TEST_F(SecuritySelectionTest, LeavingTheDepotReturnsToTheGroupFilter) {
    selection_.ComboBox3Change(kDepotEntry);
    selection_.ComboBox3Change(GroupName(demodata::kFunds));
    EXPECT_FALSE(tables_.TempTrans.Active());
    EXPECT_EQ(Listed(), KitWhere([](const auto& s) { return s.gruppe == demodata::kFunds; }));
}

TEST_F(SecuritySelectionTest, WatchListNamedLikeAGroupWins) {
    selection_.Watch2 = GroupName(demodata::kGermanShares);
    selection_.ComboBox3Change(selection_.Watch2);
    const auto& list = demodata::KitWatchList(2);
    EXPECT_EQ(Listed(), KitWhere([&](const auto& s) {
                  return std::find(list.begin(), list.end(), s.firma) != list.end();
              }));
}

TEST_F(SecuritySelectionTest, UnknownGroupTextUsesTheLastGroupRecord) {
    selection_.ComboBox3Change(QString());
    const int32_t last = demodata::KitGroups().back().index;
    EXPECT_EQ(Listed(), KitWhere([&](const auto& s) { return last == 0 || s.gruppe == last; }));
}

TEST_F(SecuritySelectionTest, SourceFollowsGroupNameWhenNoDefaultIsStored) {
    selection_.StdQuelle = 3;
    selection_.StdBoerse = 7;
    selection_.ComboBox3Change(GroupName(demodata::kAllGroup));
    db::Table& t = tables_.Table1;
    int seen = 0;
    for (Check(t.First()); !t.Eof(); Check(t.Next())) {
        const int32_t group = FieldInteger(t, "Gruppe");
        const std::optional<SourceChoice> choice = selection_.DataSource1DataChange();
        ASSERT_TRUE(choice);
        const QString name = GroupName(group).toUpper();
        if (name.contains("FOND")) {
            EXPECT_EQ(choice->source, 1);
            EXPECT_FALSE(choice->exchange);
        } else if (name.contains("OPTION")) {
            EXPECT_EQ(choice->source, 2);
            EXPECT_EQ(choice->exchange, 7);
        } else if (group == 0) {
            // An empty Internet.db reads as group 0 with source and exchange 0.
            EXPECT_EQ(choice->source, 0);
            EXPECT_EQ(choice->exchange, 0);
        } else {
            EXPECT_EQ(choice->source, 3);
            EXPECT_EQ(choice->exchange, 7);
        }
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

TEST_F(SecuritySelectionTest, StoredDefaultWinsAndPressingTwiceKeepsOneRecord) {
    selection_.ComboBox3Change(GroupName(demodata::kFunds));
    selection_.Button3Click(11, 1);
    selection_.Button3Click(12, 2);
    EXPECT_EQ(tables_.Table4.RecordCount(), 1u);

    Check(tables_.Table1.First());
    ASSERT_FALSE(tables_.Table1.Eof());
    const std::optional<SourceChoice> choice = selection_.DataSource1DataChange();
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->source, 12);
    EXPECT_EQ(choice->exchange, 2);
}

TEST_F(SecuritySelectionTest, DefaultPressedInDepotModeStoresTheGroupSelectedBefore) {
    selection_.ComboBox3Change(GroupName(demodata::kWarrants));
    selection_.ComboBox3Change(kDepotEntry);
    selection_.Button3Click(5, 0);
    Check(tables_.Table4.First());
    EXPECT_EQ(FieldInteger(tables_.Table4, "GruppenIndex"), demodata::kWarrants);
}

TEST(InternetDefaultsTable, IsCreatedWithThreeRequiredIntegersAndReportsFailure) {
    QTemporaryDir dir;
    EXPECT_TRUE(SecuritySelection::InternetDB(dir.path(), QStringLiteral("Internet.db")));
    db::Session session;
    db::Table table(session);
    table.SetDatabaseName(dir.path().toStdString());
    table.SetTableName("Internet.db");
    Check(table.Open());
    EXPECT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.RecordCount(), 0u);
    // Editing the empty table creates its first record.
    Check(table.Edit());
    SetField(table, "GruppenIndex", int64_t(4));
    SetField(table, "QuelleIndex", int64_t(1));
    SetField(table, "BoerseIndex", int64_t(0));
    Check(table.Post());
    EXPECT_EQ(table.RecordCount(), 1u);

    EXPECT_FALSE(SecuritySelection::InternetDB(dir.path() + QStringLiteral("/fehlt/nirgends"), "Internet.db"));
}

}  // namespace
}  // namespace zelvon
