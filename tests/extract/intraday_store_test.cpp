#include "intraday_kit.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;
using paradox::FieldType;

TEST_F(IntradayKit, TheSameDateTimeUpdatesTheLastRow)
{
    Store(12.5, 100, At(2024, 3, 15, 17, 35));
    Store(12.75, 200, At(2024, 3, 15, 17, 35));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].firma, 7);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 12.75);
    EXPECT_EQ(rows[0].volumen, 200);
    EXPECT_TRUE(SameDateTime(rows[0].zeit, At(2024, 3, 15, 17, 35)));
}

TEST_F(IntradayKit, AnotherDateTimeAddsARowAlsoBeforeTheLastOne)
{
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    Store(12.6, 0, At(2024, 3, 15, 17, 36));
    Store(11.0, 0, At(2024, 3, 14, 17, 30));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 11.0);
    EXPECT_DOUBLE_EQ(rows[2].kurs, 12.6);
}

TEST_F(IntradayKit, AnOlderDateTimeThatExistsIsAKeyViolationAndSwallowed)
{
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    Store(12.6, 0, At(2024, 3, 15, 17, 36));
    Store(12.7, 0, At(2024, 3, 15, 17, 35));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 12.5);
}

TEST_F(IntradayKit, OnlyTheCurrentSecuritysLastRowIsCompared)
{
    store_.Store({3, 50, 0, At(2024, 3, 15, 18, 0)});
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    Store(12.6, 0, At(2024, 3, 15, 18, 0));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].firma, 3);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 50);
}

TEST_F(IntradayKit, AMissingTableStoresNothingAndRaisesNothing)
{
    paradox::DeleteTable(path("Intraday.db"));
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    EXPECT_FALSE(QFile::exists(dir_.filePath("Intraday.db")));
}

TEST_F(IntradayKit, AnUnreadableTableIsLeftAsItWas)
{
    paradox::DeleteTable(path("Intraday.db"));
    QFile broken(dir_.filePath("Intraday.db"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("kein Paradox");
    broken.close();
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    ASSERT_TRUE(broken.open(QIODevice::ReadOnly));
    EXPECT_EQ(broken.readAll(), "kein Paradox");
}

TEST_F(IntradayKit, ARowThatCannotBeFilledIsCancelledAndEarlierRowsStay)
{
    paradox::DeleteTable(path("Intraday.db"));
    CreateIntraday({{"Firma", FieldType::kLong, 0}, {"Zeit", FieldType::kTimestamp, 0}, {"Kurs", FieldType::kNumber, 0}});
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    zelvon::db::Table intraday(session_);
    Open(intraday, "Intraday.db");
    EXPECT_EQ(intraday.RecordCount(), 0u);
}

TEST_F(IntradayKit, FromAClickToAStoredQuote)
{
    Harness h;
    h.input.security.Firma = 7;
    ExtractionHooks hooks;
    hooks.store = [this](const IntradayRow& row) { store_.Store(row); };
    h.page.setText(u"gleich;14/03/2024;12,5;300");
    h.input.source = kSourceYahoo;
    h.extractor.SpeedButton3Click(h.input, hooks);
    h.extractor.SpeedButton3Click(h.input, hooks);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0].kurs, 12.5);
    EXPECT_EQ(rows[0].volumen, 300);
    EXPECT_TRUE(SameDateTime(rows[0].zeit, At(2024, 3, 14, 18, 0)));
    EXPECT_EQ(h.listed(), (QStringList{"14.03.2024", "SAP\t12,5\tgleich\t300", "15.03.2024",
                                       "14.03.2024", "SAP\t12,5\tgleich\t300", "15.03.2024"}));
}

// Another program holds a write lock on Intraday.db: the storage step gives up
// after the engine's bounded wait, stores nothing and raises nothing; once the
// lock is gone the next quote is stored.
TEST_F(IntradayKit, ATableLockedByAnotherProcessIsSkippedAndLaterWritten)
{
    Store(12.5, 0, At(2024, 3, 15, 17, 35));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(path("Intraday.db").c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0)
            _exit(2);
        char c = 1;
        if (write(ready[1], &c, 1) != 1)
            _exit(3);
        for (;;)
            pause();
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);

    Store(12.6, 0, At(2024, 3, 15, 17, 36));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    ASSERT_EQ(Rows().size(), 1u);

    Store(12.7, 0, At(2024, 3, 15, 17, 37));
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[1].kurs, 12.7);
}
