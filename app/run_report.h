// The report of a fetch-all run: per security what was asked where, how each
// attempt ended, what the extraction made of the page and what was stored;
// totals per source. Written as JSON when asked for, summed up in one German
// line for runs without a display. It only watches the run.
#pragma once

#include "platform/formats.h"

#include <QString>

#include <optional>
#include <vector>

namespace zelvon {

struct FetchAttempt {
    int httpStatus = -1;    // the HTTP client's response code, -1 without an answer
    QString statusText;     // its status line, or the transport error shown
    bool aborted = false;
    // Why the transfer ended short of a whole answer ("no data for 5 s",
    // "body over 268435456 bytes", "page incomplete at the time-out"); empty
    // when it did not.
    QString transferFailure;
    // The address of the document whose body the page view took, after
    // redirects; empty when no body was taken.
    QString pageAddress;
    std::optional<int> extractionStatus;  // empty when the page was not handed to extraction
    bool extractionStored = false;        // the quote met the storage condition
    // A local quote feed's error, else its last status text ("Kann nicht auf
    // WinBis zugreifen!"); empty for web sources.
    QString feedFailure;
};

struct StoredQuote {
    double Kurs = 0;
    DateTime Zeit = 0;
    int32_t Volumen = 0;
};

struct SecurityReport {
    int32_t Firma = 0;
    QString ZDF, Kennung;
    int source = -1, exchange = -1;
    QString sourceCaption, exchangeCaption;
    QString address;
    std::vector<FetchAttempt> attempts;
    std::optional<StoredQuote> stored;
};

// Why a security gave no quote, from its last attempt; empty when it gave one.
QString FailureReason(const SecurityReport& security);
QString GermanFailureReason(const QString& reason);

class RunReport {
public:
    void Begin(SecurityReport security) { securities_.push_back(std::move(security)); }
    // The security begun last.
    SecurityReport* Current() { return securities_.empty() ? nullptr : &securities_.back(); }
    const std::vector<SecurityReport>& securities() const { return securities_; }
    // The run stopped before the end of the selection: the reason in English
    // for the report file, in German for the summary.
    void EndEarly(QString reason, QString german) {
        endedEarly_ = std::move(reason);
        endedEarlyGerman_ = std::move(german);
    }
    const QString& endedEarly() const { return endedEarly_; }

    QByteArray ToJson() const;
    // "27 von 30 Kursen gespeichert; Onvista: 3 Fehler (Marke nicht gefunden)",
    // then why the run stopped early, if it did.
    QString Summary() const;
    // Replaces path; false with the reason in error.
    bool Save(const QString& path, QString* error) const;

private:
    std::vector<SecurityReport> securities_;
    QString endedEarly_, endedEarlyGerman_;
};

}  // namespace zelvon
