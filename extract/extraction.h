// The extraction step: one run turns the page view's text into a quote for the
// current security, reports it in the quote list and hands it to storage.
// Window-free; the main window supplies the views, the selectors' indices and
// hooks for the few things only it can do.
#pragma once

#include "extract/page_cutter.h"
#include "extract/quote_record.h"
#include "platform/dde_client.h"
#include "platform/text_view.h"

#include <QString>
#include <functional>
#include <optional>

namespace zelvon::extract {

// One row of Intraday.db as the storage step writes it.
struct IntradayRow {
    int32_t Firma = 0;
    double Kurs = 0;
    int32_t Volumen = 0;
    DateTime Zeit = 0;
};

// The security's newest stored trade as the Swiss intraday list reads it.
struct StoredTrade {
    int32_t Volumen = 0;  // the day volume stored so far
    DateTime Zeit = 0;
};

// The main window's members the local quote feeds use; a feed read without
// a conversation component raises an error.
struct FeedLink {
    DdeClientConv* conv = nullptr;  // DdeClientConv1
    DdeClientItem* item = nullptr;  // DdeClientItem1
    bool* lade = nullptr;           // Lade
    DateTime* leseDatum = nullptr;  // LeseDatum
};

struct ExtractionInput {
    const TextView* page = nullptr;  // RichEdit1
    TextView* quoteList = nullptr;   // RichEdit2
    Security security;               // current record of Table1
    int source = -1;                 // ComboBox2
    int entry = -1;                  // ComboBox1
    bool windowVisible = true;
    int savePolicy = 0;              // RadioGroup1; 2 saves every read quote's page
    double SizeTemp = 0;
    DateTime now = 0;                // current date and time for the whole run
    QString swissDomain;             // end words of the Swiss source
    FeedLink feed;
};

// What only the main window can do; an empty hook is skipped.
struct ExtractionHooks {
    std::function<void()> savePage;                   // SpeedButton4Click
    std::function<void(const IntradayRow&)> store;    // the intraday table; swallows its errors
    std::function<void()> fetchButtonsReady;          // GetButton, Button1 on; AbortButton off
    // URLEdit := the address, then NeuGetButtonClick: the page view then holds
    // the follow-up page (empty when that fetch failed).
    std::function<void(const QString& address)> followup;
    std::function<void(int)> wait;                    // Warten: milliseconds, window messages processed
    // The security's last Intraday.db row, stepping back over rows without
    // volume; a default StoredTrade when there is none. Raises Error when the
    // table cannot be opened.
    std::function<StoredTrade()> lastTrade;
    // One trade of an intraday list as its own row, posted at once; swallows its errors.
    std::function<void(const IntradayRow&)> postTrade;
    // Status panel 0; only the local quote feeds write it.
    std::function<void(const QString&)> showStatus;
    std::function<void()> fetchButtonsBusy;           // GetButton, Button1 off; AbortButton on
};

struct ExtractionOutcome {
    int status = kQuoteRead;     // StatusCode of the source extraction
    std::optional<int> picture;  // status icon; empty leaves it as it was
    bool pageSaved = false;
    bool stored = false;         // a quote met the storage condition
    bool endedAtOnce = false;    // nothing stored, buttons left as they were
    QString feedStatus;          // the last text a local quote feed put into status panel 0
    QString feedFailure;         // the error that ended a local feed's read early
};

// How a source extraction ends.
enum class SourceEnd { ToStorage, AtOnce };

// The state of one run, shared by the source modules.
class Extraction {
public:
    Extraction(const ExtractionInput& input, const ExtractionHooks& hooks, QuoteRecord& quote);

    const ExtractionInput& input;
    QuoteRecord& quote;
    PageCutter cut;
    ExtractionOutcome outcome;

    // The run's clock, in whole milliseconds so that it compares exactly with
    // times read from text.
    DateTime now() const;
    DateTime today() const;
    DateTime timeOfDay() const;

    // ZDF, tab, price, tab, time text.
    QString quoteLineStart() const;
    // Status icon for a failed quote.
    void reportFailure();
    // Saves the page if asked to, frames a quote of an earlier day with date
    // lines; without a quote line only the date lines are written.
    void reportQuote(const std::optional<QString>& quoteLine);
    // For sources whose report has its own shape.
    void savePageIfAsked();
    // One line into the quote list, nothing else.
    void appendLine(const QString& line);
    // Replaces the page view's text with the page at address.
    void followUp(const QString& address);
    void wait(int milliseconds);
    // Status panel 0, noted in the outcome.
    void showStatus(const QString& text);
    void fetchButtonsBusy();

    const ExtractionHooks& hooks() const { return hooks_; }

private:
    const ExtractionHooks& hooks_;
};

// SpeedButton3Click and SpeedButton5Click without the window around them.
class QuoteExtractor {
public:
    QuoteRecord quote;

    ExtractionOutcome SpeedButton3Click(const ExtractionInput& input, const ExtractionHooks& hooks = {});
    // "alle eingelesenen Kurse löschen": the quote list only; stored quotes stay.
    static void SpeedButton5Click(TextView& quoteList);

private:
    SourceEnd dispatch(Extraction& run);
    void storageStep(Extraction& run, const ExtractionHooks& hooks);
};

}  // namespace zelvon::extract
