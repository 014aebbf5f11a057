// A master update killed at random moments: Firma.db with its indexes and
// Branchen.db stay readable by pxlib and our engine, every row is either as
// before or as the update makes it, and the next run ends check-clean.
#include "table_health.h"
#include "update_rig.h"

#include "db/table.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <map>
#include <random>
#include <set>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace zelvon::test {
namespace {

constexpr size_t kSecurities = 1200;
constexpr int kRounds = 4;

using Row = std::vector<std::string>;

// Every row by Firma, read through the index named (empty: primary order).
std::map<int32_t, Row> ReadRows(const QString& home, const std::string& table, const std::string& index,
                                const std::vector<const char*>& fields) {
    db::Session session;
    db::Table t(session);
    t.SetDatabaseName(home.toStdString());
    t.SetTableName(table);
    if (!index.empty()) EXPECT_TRUE(t.SetIndexName(index).ok());
    EXPECT_TRUE(t.Open().ok()) << table << " " << index;
    std::map<int32_t, Row> rows;
    int32_t ordinal = 0;
    for (t.First(); !t.Eof(); t.Next()) {
        Row row;
        for (const char* f : fields) row.push_back(t.FindField(f)->AsString());
        const db::Field* key = t.FindField("Firma");
        rows[key ? key->AsInteger() : ordinal++] = row;
    }
    return rows;
}

const std::vector<const char*> kFirmaFields = {"Kennung", "ZDF", "N-TV", "Branche", "Gewinn", "Dividende"};

void CopyFiles(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + name, to + "/" + name);
}

pid_t StartChild(const QString& home, const QString& server) {
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray a = home.toLocal8Bit(), b = server.toLocal8Bit();
        execl(MASTER_CHILD_BINARY, MASTER_CHILD_BINARY, a.constData(), b.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

TEST(MasterKillTest, KilledAtRandomMomentsLeavesEveryRowOldOrNew) {
    UpdateRig rig(kSecurities);
    WriteServerTables(rig.serverDir.path(), kSecurities);
    QTemporaryDir work;
    const QString pristine = rig.dir.path();

    // One whole run first: the new rows, and how long a run takes.
    const QString whole = work.path() + "/whole";
    CopyFiles(pristine, whole);
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    waitpid(StartChild(whole, rig.serverDir.path()), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const qint64 runMs = clock.elapsed();
    const auto oldFirma = ReadRows(pristine, "Firma.db", "", kFirmaFields);
    const auto newFirma = ReadRows(whole, "Firma.db", "", kFirmaFields);
    std::set<Row> sectors;
    for (const QString& dir : {pristine, whole})
        for (const auto& [n, row] : ReadRows(dir, "Branchen.db", "", {"GruppenIndex", "GruppenName"})) sectors.insert(row);

    std::mt19937 random(22);
    for (int round = 0; round < kRounds; ++round) {
        const QString home = work.path() + "/round" + QString::number(round);
        CopyFiles(pristine, home);
        const pid_t child = StartChild(home, rig.serverDir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % (runMs + 1)));
        kill(child, SIGKILL);
        waitpid(child, &status, 0);

        EXPECT_EQ(ReadFaults(home), std::vector<std::string>{}) << round;
        for (const char* index : {"", "IFirma", "IWKN"}) {
            const auto rows = ReadRows(home, "Firma.db", index, kFirmaFields);
            ASSERT_EQ(rows.size(), oldFirma.size()) << round << index;
            for (const auto& [firma, row] : rows)
                EXPECT_TRUE(row == oldFirma.at(firma) || row == newFirma.at(firma)) << round << " " << firma;
        }
        for (const auto& [n, row] : ReadRows(home, "Branchen.db", "", {"GruppenIndex", "GruppenName"}))
            EXPECT_TRUE(sectors.count(row)) << round;

        // The next run finishes the update and leaves every table check-clean.
        waitpid(StartChild(home, rig.serverDir.path()), &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round;
        EXPECT_EQ(TableFaults(home), std::vector<std::string>{}) << round;
        EXPECT_EQ(ReadRows(home, "Firma.db", "IWKN", kFirmaFields), newFirma) << round;
    }
}

}  // namespace
}  // namespace zelvon::test
