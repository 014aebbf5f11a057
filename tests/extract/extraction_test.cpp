#include "extraction_harness.h"

#include <gtest/gtest.h>

using namespace zelvon;
using namespace zelvon::extract;
using namespace zelvon::extract::testing;

TEST(ExtractionStep, AnEmptyPageGoesStraightToStorageAndFreesTheButtons)
{
    Harness h;
    h.extractor.quote.Kurs = 5;
    h.extractor.quote.Datum = Day();
    const ExtractionOutcome out = h.run(kSourceYahoo, {});
    EXPECT_EQ(h.quote().Kurs, 0);
    EXPECT_FALSE(out.stored);
    EXPECT_FALSE(out.picture);
    EXPECT_EQ(h.buttonsReady, 1);
}

TEST(ExtractionStep, SourcesWithoutTheirOwnExtractionOnlyRunStorage)
{
    for (int source : {-1, int(kSourceSwiss), int(kSourceWinBis), 10, 11, 12, 13, 14, 15}) {
        Harness h;
        h.extractor.quote.Volumen = 99;
        const ExtractionOutcome out = h.run(source, {"Kurs 12,50"});
        EXPECT_EQ(h.quote().Volumen, 0) << source;
        EXPECT_FALSE(out.stored) << source;
        EXPECT_FALSE(out.endedAtOnce) << source;
        EXPECT_EQ(h.buttonsReady, 1) << source;
    }
}

TEST(ExtractionStep, TheRecordKeepsWhatAnExtractionDoesNotAssign)
{
    Harness h;
    h.run(kSourceYahoo, {"17:35;31/12/2020;12,5;1000;12,4;12,6"});
    h.run(kSourceComdirectAktien, {"<html>", "<body>Wartung</body>", "</html>"});
    EXPECT_DOUBLE_EQ(h.quote().Bid, 12.4);
    EXPECT_DOUBLE_EQ(h.quote().Ask, 12.6);
}

TEST(ExtractionStep, ATimeTextThatIsNoTimeIsStoredAtTheCurrentTime)
{
    Harness h;
    h.run(kSourceYahoo, {"gleich;15/03/2024;12,5"});
    EXPECT_DOUBLE_EQ(h.quote().ZeitTemp, *zelvon::formats::EncodeTime(18, 0, 0));
    ASSERT_EQ(h.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(h.rows[0].Zeit, At(2024, 3, 15, 18, 0));
    EXPECT_EQ(h.listed(), QStringList{"SAP\t12,5\tgleich"});
}

TEST(ExtractionStep, ClearingTheQuoteListTouchesNothingElse)
{
    Harness h;
    h.run(kSourceYahoo, {"17:35;15/03/2024;12,5"});
    ASSERT_EQ(h.quoteList.lineCount(), 1);
    QuoteExtractor::SpeedButton5Click(h.quoteList);
    EXPECT_EQ(h.quoteList.lineCount(), 0);
    EXPECT_DOUBLE_EQ(h.quote().Kurs, 12.5);
}
