#include "app/run_flags.h"
#include "app/run_plan.h"

#include <gtest/gtest.h>

namespace zelvon {
namespace {

const DateTime kToday = *formats::EncodeDate(2026, 12, 9);

RunFlags Parse(const QStringList& args) {
    const ParsedCommandLine parsed = ParseCommandLine(QStringList{QStringLiteral("/opt/zelvon/zelvon")} + args, kToday);
    EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    return parsed.flags;
}

QString ErrorOf(const QStringList& args) {
    return ParseCommandLine(QStringList{QStringLiteral("zelvon")} + args, kToday).error;
}

TEST(CommandLine, NoArgumentsGiveTheResetValues) {
    const RunFlags f = Parse({});
    EXPECT_FALSE(f.AnyRun());
    EXPECT_FALSE(f.Mini || f.Favorite);
    EXPECT_EQ(f.GruppeInfo, -1);
    EXPECT_EQ(f.LeseDatum, 0);
    EXPECT_TRUE(f.InfoWKN.isEmpty());
}

TEST(CommandLine, SwitchesAndWordsInAnyLetterCase) {
    EXPECT_TRUE(Parse({"/a"}).Automat);
    EXPECT_TRUE(Parse({"auto"}).Automat);
    EXPECT_TRUE(Parse({"Kurse"}).Beispiel);
    EXPECT_TRUE(Parse({"favoriten"}).Favorite);
    EXPECT_TRUE(Parse({"/u"}).UpdateLesen);
    EXPECT_TRUE(Parse({"News"}).NewsLesen);
    EXPECT_TRUE(Parse({"FIRMA"}).FirmenLesen);
    EXPECT_TRUE(Parse({"wert"}).KursInfo);
    EXPECT_TRUE(Parse({"mini"}).Mini);
    EXPECT_EQ(Parse({"/g", "3"}).GruppeInfo, 3);
    // Words are not switches with a slash, and umlauts are not folded.
    EXPECT_FALSE(Parse({"/auto"}).Automat);
}

TEST(CommandLine, GroupValueRules) {
    EXPECT_EQ(Parse({"/G"}).GruppeInfo, -1);
    EXPECT_EQ(Parse({"/G", "2", "/G", "5"}).GruppeInfo, 5);
    EXPECT_EQ(Parse({"/I", "2", "/G", "4"}).GruppeInfo, 4);
    EXPECT_FALSE(ErrorOf({"/G", "x"}).isEmpty());
    EXPECT_TRUE(ErrorOf({"/G", "x"}).contains("/G"));
    EXPECT_TRUE(ErrorOf({"/I", "2147483648"}).contains("2147483648"));
}

TEST(CommandLine, LaterOfInfoAndFundaDecidesThePageRun) {
    RunFlags f = Parse({"/W", "4711", "/D"});
    EXPECT_TRUE(f.KursInfo && f.InterInfo);
    EXPECT_EQ(f.InfoWKN, "4711");
    f = Parse({"/D", "/W", "4711"});
    EXPECT_TRUE(f.KursInfo && f.InterInfo);
    f = Parse({"/I", "2", "/W", "4711"});
    EXPECT_TRUE(f.InterInfo);
    EXPECT_TRUE(f.Fundament);
    f = Parse({"/W", "4711", "/I", "2"});
    EXPECT_FALSE(f.InterInfo);
    EXPECT_TRUE(f.Fundament);
    EXPECT_EQ(f.GruppeInfo, 2);
    EXPECT_EQ(f.InfoWKN, "4711");
    EXPECT_TRUE(Parse({"/W"}).InfoWKN.isEmpty());
}

TEST(CommandLine, ValuesAreExaminedAsSwitchesToo) {
    const RunFlags f = Parse({"/W", "/A"});
    EXPECT_EQ(f.InfoWKN, "/A");
    EXPECT_TRUE(f.Automat);
}

TEST(CommandLine, ArchiveDateRules) {
    EXPECT_EQ(Parse({"/K"}).LeseDatum, kToday);
    EXPECT_EQ(Parse({"/K", "01.12.2026"}).LeseDatum, *formats::EncodeDate(2026, 12, 1));
    EXPECT_TRUE(ErrorOf({"/K", "2026-12-01"}).contains("/K"));
    EXPECT_EQ(ArchiveStartDay(*formats::EncodeDate(2026, 1, 1), kToday), kToday - 90);
    EXPECT_EQ(ArchiveStartDay(kToday - 90, kToday), kToday - 90);
    EXPECT_EQ(ArchiveStartDay(kToday - 3, kToday), kToday - 3);
}

TEST(CommandLine, AFollowingSwitchIsNoNumberOrDate) {
    RunFlags f = Parse({"/K", "/M"});
    EXPECT_EQ(f.LeseDatum, kToday);
    EXPECT_TRUE(f.Mini);
    f = Parse({"/G", "auto"});
    EXPECT_EQ(f.GruppeInfo, -1);
    EXPECT_TRUE(f.Automat);
}

TEST(CommandLine, ReportOptionTakesItsFileNameWhateverItLooksLike) {
    RunFlags f = Parse({"/A", "--report", "/m"});
    EXPECT_EQ(f.ReportFile, "/m");
    EXPECT_TRUE(f.Automat);
    EXPECT_FALSE(f.Mini);
    f = Parse({"--REPORT", "/tmp/bericht.json", "/A"});
    EXPECT_EQ(f.ReportFile, "/tmp/bericht.json");
    EXPECT_FALSE(ParseCommandLine({"zelvon", "/A", "--report"}, kToday).error.isEmpty());
}

TEST(CommandLine, MasterUpdateAnswersAreLongOptionsBesideTheSwitches) {
    RunFlags f = Parse({"/B", "--branchen"});
    EXPECT_TRUE(f.FirmenLesen);
    EXPECT_TRUE(f.Branchen);
    EXPECT_FALSE(f.Fundamentaldaten);
    f = Parse({"--FUNDAMENTALDATEN", "firma", "/K", "01.02.2026"});
    EXPECT_TRUE(f.Fundamentaldaten);
    EXPECT_TRUE(f.FirmenLesen);
    EXPECT_EQ(f.LeseDatum, *formats::EncodeDate(2026, 2, 1));
    EXPECT_FALSE(Parse({"--branchen"}).AnyRun());
}

TEST(RunOrder, SingleSecurityRunsExcludeEverythingElse) {
    RunPlan plan = PlanRuns(Parse({"/W", "4711", "/D", "/A", "/N", "/M"}));
    EXPECT_EQ(plan.runs, std::vector<zelvon::Run>{zelvon::Run::SingleSecurityQuote});
    EXPECT_FALSE(plan.minimise);
    EXPECT_TRUE(plan.closesWindow);
    plan = PlanRuns(Parse({"/W", "4711", "/U"}));
    EXPECT_EQ(plan.runs, std::vector<zelvon::Run>{zelvon::Run::SingleSecurityPage});
}

TEST(RunOrder, OtherRunsInFixedOrderWithFetchAllLast) {
    const RunPlan plan = PlanRuns(Parse({"/A", "/I", "1", "/B", "/U", "/N", "/K", "/M"}));
    const std::vector<zelvon::Run> expected{zelvon::Run::ArchiveImport, zelvon::Run::News,         zelvon::Run::FilterUpdate,
                                    zelvon::Run::MasterUpdate,  zelvon::Run::Fundamentals, zelvon::Run::FetchAll};
    EXPECT_EQ(plan.runs, expected);
    EXPECT_TRUE(plan.minimise);
    EXPECT_TRUE(plan.closesWindow);
}

TEST(RunOrder, MiniAndFavouritesAloneStayInteractive) {
    const RunPlan plan = PlanRuns(Parse({"/M", "/F"}));
    EXPECT_TRUE(plan.runs.empty());
    EXPECT_TRUE(plan.minimise);
    EXPECT_FALSE(plan.closesWindow);
}

}  // namespace
}  // namespace zelvon
