// zelvon-extract on Swiss pages: the end words from the domain name, the last
// stored trade from the command line or from Intraday.db, and a process killed
// while it posts an intraday list's trades.
#include "tool_process.h"

#include "db/table.h"
#include "extract/intraday_store.h"
#include "paradox/table_create.h"

extern "C" {
#include <paradox.h>
}

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <optional>
#include <thread>

using zelvon::tools::testing::RunTool;
using zelvon::tools::testing::ToolProcess;
using zelvon::tools::testing::ToolResult;
using paradox::FieldType;

namespace {

const char* const kNow = "15.03.2024 18:00:00";

struct Row {
    double kurs;
    int volumen;
    double zeit;
};

// One line of trades n = 1 .. count at 09:00:00 + n seconds, price 10 + n/100, volume 1'000 + n.
QByteArray TradeList(int count)
{
    QByteArray page = "<html><body><table>";
    for (int n = 1; n <= count; ++n) {
        const int second = 9 * 3600 + n;
        page += QStringLiteral("<tr><td>%1</td><td class=\"c1\">%2:%3:%4</td><td><B>%5</B></td><td class=\"c1\">1'%6</td></tr>")
                    .arg(n)
                    .arg(second / 3600, 2, 10, QChar(u'0'))
                    .arg(second / 60 % 60, 2, 10, QChar(u'0'))
                    .arg(second % 60, 2, 10, QChar(u'0'))
                    .arg(10 + n / 100.0, 0, 'f', 2)
                    .arg(n, 3, 10, QChar(u'0'))
                    .toLatin1();
    }
    return page + "</table></body></html>";
}

int ExpectedVolume(int rows)
{
    int volume = 0;
    for (int n = 1; n <= rows; ++n)
        volume += 1000 + n;
    return volume;
}

std::string Value(const std::string& out, const std::string& name)
{
    const size_t at = out.find(name + "\t");
    return at == std::string::npos ? "<no " + name + ">" : out.substr(at + name.size() + 1, out.find('\n', at) - at - name.size() - 1);
}

// A data directory: Firma.db with security 7, an empty Intraday.db keyed on (Firma, Zeit).
class SwissReplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        // No settings file unless a test writes one.
        setenv("ZELVON_REGISTRY", path("Quarvinta.reg").c_str(), 1);
        Create("Firma.db", {{"Firma", FieldType::kLong, 0}, {"ZDF", FieldType::kAlpha, 10}}, 1);
        Create("Intraday.db", {{"Firma", FieldType::kLong, 0}, {"Zeit", FieldType::kTimestamp, 0},
                               {"Kurs", FieldType::kNumber, 0}, {"Volumen", FieldType::kLong, 0}}, 2);
        zelvon::db::Table firma(session_);
        Open(firma, "Firma.db");
        ASSERT_TRUE(firma.Append().ok());
        ASSERT_TRUE(firma.FindField("Firma")->SetInteger(7).ok());
        ASSERT_TRUE(firma.FindField("ZDF")->SetString("NESN").ok());
        ASSERT_TRUE(firma.Post().ok());
    }

    void Create(const char* name, const std::vector<paradox::FieldSpec>& fields, int keys)
    {
        paradox::CreateOptions options;
        options.key_fields = uint16_t(keys);
        ASSERT_TRUE(paradox::CreateTable(path(name), fields, options).ok());
    }
    void Open(zelvon::db::Table& table, const char* name)
    {
        table.SetDatabaseName(dir_.path().toStdString() + "/");
        table.SetTableName(name);
        ASSERT_TRUE(table.Open().ok());
    }
    std::vector<Row> Rows()
    {
        zelvon::db::Table intraday(session_);
        Open(intraday, "Intraday.db");
        std::vector<Row> rows;
        for (intraday.First(); !intraday.Eof(); intraday.Next())
            rows.push_back({intraday.FindField("Kurs")->AsFloat(), int(intraday.FindField("Volumen")->AsInteger()),
                            intraday.FindField("Zeit")->AsDateTime()});
        return rows;
    }

    std::string path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    std::string Write(const std::string& name, const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    std::vector<std::string> Args(int entry, const std::string& page, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"--source", "6", "--entry", std::to_string(entry), page, "--now", kNow};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    ToolResult Run(const std::vector<std::string>& args)
    {
        return RunTool(ZELVON_EXTRACT_BINARY, args, path("run" + std::to_string(runs_++)));
    }
    std::vector<std::string> Store() { return {"--firma", "7", "--store", dir_.path().toStdString()}; }

    QTemporaryDir dir_;
    zelvon::db::Session session_;
    int runs_ = 0;
};

// pxlib, an independent reader, reads every record, and pxtool finds no
// fault (a post in flight is only a warning).
void ExpectWholeTable(const std::string& table)
{
    pxdoc_t* doc = PX_new();
    ASSERT_EQ(PX_open_file(doc, table.c_str()), 0) << table;
    for (int r = 0; r < PX_get_num_records(doc); ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        ASSERT_NE(values, nullptr) << "record " << r;
        for (int f = 0; f < PX_get_num_fields(doc); ++f)
            FREE_PXVAL(doc, values[f]);
        doc->free(doc, values);
    }
    PX_close(doc);
    PX_delete(doc);
    const ToolResult check = RunTool(PXTOOL_BINARY, {"check", table}, table + ".check");
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

// The record count in the table's header, as another process sees it.
uint32_t HeaderCount(const std::string& table)
{
    QFile file(QString::fromStdString(table));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(10);
    if (head.size() < 10)
        return 0;
    const auto byte = [&](int i) { return uint32_t(uint8_t(head[i])); };
    return byte(6) | byte(7) << 8 | byte(8) << 16 | byte(9) << 24;
}

}  // namespace

TEST_F(SwissReplay, DomainGivesTheEndWordsAndLastTradeTheStartingPoint)
{
    const std::string page = Write("list.html", TradeList(4));
    const ToolResult fresh = Run(Args(1, page, {"--swiss-domain", "www.Swiss.Example"}));
    EXPECT_EQ(fresh.exitCode, 0) << fresh.err;
    EXPECT_NE(fresh.out.find("Line\t\\t10,04\\t09:00:04\\t4010\\tWww.swiss.example\n"), std::string::npos) << fresh.out;
    EXPECT_EQ(Value(fresh.out, "Volumen"), "4010");

    const ToolResult resumed = Run(Args(1, page, {"--last-volume", "2003", "--last-time", "09:00:02"}));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(Value(resumed.out, "Volumen"), std::to_string(2003 + 1003 + 1004));
    EXPECT_NE(resumed.out.find("\\tSwiss.example\n"), std::string::npos) << resumed.out;

    Write("Quarvinta.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                           "\"Zelvon_Host_Swiss\"=\"www.quotes.example:8080\"\r\n");
    const ToolResult configured = Run(Args(1, page));
    EXPECT_NE(configured.out.find("\\tQuotes.example\n"), std::string::npos) << configured.out << configured.err;

    const ToolResult stock = Run(Args(0, page, {"--swiss-domain", "quotes.ch"}));
    EXPECT_EQ(Value(stock.out, "Status"), "1");
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--last-volume", "5"}, {"--last-time", "09:00:00"}, {"--last-volume", "x", "--last-time", "09:00:00"},
             {"--last-volume", "5", "--last-time", "9 Uhr"}, {"--swiss-domain"}}) {
        const ToolResult r = Run(Args(1, page, bad));
        EXPECT_EQ(r.exitCode, 2) << bad[0];
    }
}

TEST_F(SwissReplay, StoreReadsTheTableAndASecondReadAddsNothing)
{
    const std::string page = Write("list.html", TradeList(5));
    EXPECT_EQ(Run(Args(1, page, Store())).exitCode, 0);
    auto rows = Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].volumen, ExpectedVolume(5));
    const ToolResult again = Run(Args(1, page, Store()));
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(again.out.find("Line\t") == std::string::npos) << again.out;
    EXPECT_EQ(Rows().size(), 5u);
    EXPECT_TRUE(again.err.empty()) << again.err;
}

TEST_F(SwissReplay, ATableThatCannotBeReadEndsTheRunWithItsError)
{
    const std::string page = Write("list.html", TradeList(2));
    paradox::DeleteTable(path("Intraday.db"));
    Write("Intraday.db", "kein Paradox");
    const ToolResult r = Run(Args(1, page, Store()));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Intraday.db"), std::string::npos) << r.err;
}

// Killed while it posts, after one, a few and many more rows: every kill
// leaves a table that pxlib and pxtool read whole, holding the first trades
// in order with their day volumes; the next read of the same page adds
// exactly the rest.
TEST_F(SwissReplay, AKilledReadLeavesWholeRowsAndTheNextReadAddsTheMissingOnes)
{
    constexpr int kTrades = 900;
    const std::string page = Write("list.html", TradeList(kTrades));
    const std::string table = path("Intraday.db");
    size_t stored = 0;
    int round = 0;
    for (const uint32_t more : {1u, 2u, 7u, 60u, 250u}) {
        ToolProcess process(ZELVON_EXTRACT_BINARY, Args(1, page, Store()), path("kill" + std::to_string(round++)));
        ASSERT_TRUE(process.started());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (HeaderCount(table) < stored + more && !process.Wait(std::chrono::milliseconds(0)) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        process.Signal(SIGKILL);
        ASSERT_EQ(process.Wait(std::chrono::seconds(10)), std::optional<int>(-1)) << "the read ended before the kill";
        ExpectWholeTable(table);
        const auto rows = Rows();
        ASSERT_GE(rows.size(), stored + more);
        ASSERT_LT(rows.size(), size_t(kTrades)) << "the kill came after the last post";
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].volumen, ExpectedVolume(int(i) + 1)) << "row " << i;
            ASSERT_DOUBLE_EQ(rows[i].kurs, 10 + (i + 1) / 100.0);
        }
        stored = rows.size();
    }
    const ToolResult last = RunTool(ZELVON_EXTRACT_BINARY, Args(1, page, Store()), path("last"));
    EXPECT_EQ(last.exitCode, 0) << last.err;
    ExpectWholeTable(table);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), size_t(kTrades));
    EXPECT_EQ(rows.back().volumen, ExpectedVolume(kTrades));
}
