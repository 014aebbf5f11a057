// Runs the extraction step on a page made of lines, at a fixed date and time.
#pragma once

#include "extract/extraction.h"
#include "qstring_printer.h"

#include <QStringList>
#include <vector>

namespace zelvon::extract::testing {

inline DateTime At(int year, int month, int day, int hour, int minute, int second = 0)
{
    return *formats::EncodeDate(year, month, day) + *formats::EncodeTime(hour, minute, second);
}

// The day every test runs on: 15 March 2024.
inline DateTime Day() { return *formats::EncodeDate(2024, 3, 15); }

struct Harness {
    TextView page;
    TextView quoteList;
    QuoteExtractor extractor;
    ExtractionInput input;
    std::vector<IntradayRow> rows;
    StoredTrade stored;                // what lastTrade answers
    std::vector<IntradayRow> posted;   // what postTrade received
    int buttonsReady = 0;
    int pagesSaved = 0;
    std::vector<int> waits;  // Warten calls, in milliseconds

    Harness()
    {
        input.page = &page;
        input.quoteList = &quoteList;
        input.security.Firma = 7;
        input.security.ZDF = "SAP";
        input.now = At(2024, 3, 15, 18, 0);
        input.swissDomain = "Swiss.Example";
    }

    ExtractionOutcome run(int source, const QStringList& lines, int entry = -1)
    {
        page.setText(lines.join("\r\n"));
        input.source = source;
        input.entry = entry;
        input.SizeTemp = double(page.textLength());
        ExtractionHooks hooks;
        hooks.savePage = [this] { ++pagesSaved; };
        hooks.store = [this](const IntradayRow& row) { rows.push_back(row); };
        hooks.fetchButtonsReady = [this] { ++buttonsReady; };
        hooks.wait = [this](int milliseconds) { waits.push_back(milliseconds); };
        hooks.lastTrade = [this] { return stored; };
        hooks.postTrade = [this](const IntradayRow& row) { posted.push_back(row); };
        return extractor.SpeedButton3Click(input, hooks);
    }

    const QuoteRecord& quote() const { return extractor.quote; }
    QStringList listed() const
    {
        QStringList lines;
        for (int i = 0; i < quoteList.lineCount(); ++i)
            lines << quoteList.line(i);
        return lines;
    }
};

}  // namespace zelvon::extract::testing
