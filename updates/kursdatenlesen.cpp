#include "updates/kursdatenlesen.h"

#include "platform/codec.h"
#include "platform/error.h"
#include "sources/http_error.h"
#include "sources/page_writer.h"
#include "updates/archive_calendar.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace zelvon::updates {
namespace {

QString RemotePath(DateTime day) {
    const formats::CivilDate d = formats::DecodeDate(day);
    return QStringLiteral("/archiv/%1%2%3.txt")
        .arg(d.day, 2, 10, QLatin1Char('0'))
        .arg(d.month, 2, 10, QLatin1Char('0'))
        .arg(d.year, 4, 10, QLatin1Char('0'));
}

bool LooksLikeDate(const QString& line) { return line.size() >= 6 && line[2] == u'.' && line[5] == u'.'; }

}  // namespace

Kursdatenlesen::Kursdatenlesen(UpdateContext& context, QString quoteFile, Clock clock)
    : ctx_(context), quoteFileName_(std::move(quoteFile)), clock_(std::move(clock)) {}

void Kursdatenlesen::Run(DateTime& leseDatum) {
    PrepareDayFile();
    ctx_.host.setApplicationTitle(QStringLiteral("aktualisiere Datenbank"));
    ctx_.progress.SetCaption(QStringLiteral("aktualisieren der Beispieldatenbank"));
    ctx_.progress.Show();
    ctx_.client.setUserAgent(kUserAgent);
    ctx_.client.setAccept(kAccept);
    DateTime day = leseDatum;
    quoteFile_.setFileName(quoteFileName_);
    if (!quoteFile_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw Error(QStringLiteral("Kursdatei kann nicht angelegt werden: %1 (%2)")
                        .arg(quoteFileName_, quoteFile_.errorString()));
    }
    auto today = [this] { return std::floor(clock_()); };
    while (today() >= leseDatum) {
        day = WeekdayFor(day);
        if (day <= today()) ReadDay(day);
        if (IsSaturday(leseDatum)) leseDatum += 1;
        if (!ctx_.progress.StillVisible()) leseDatum = today();
        leseDatum += 1;
        day = leseDatum;
        const DateTime now = clock_();
        if (now - std::floor(now) < kLateEvening && std::floor(now) == leseDatum) day = leseDatum + 1;
    }
    ctx_.progress.Hide();
    quoteFile_.close();
}

void Kursdatenlesen::PrepareDayFile() {
    const QString& dayFile = ctx_.fetch.fileNameEdit;
    if (QFileInfo::exists(dayFile)) return;
    QDir().mkpath(QFileInfo(dayFile).absolutePath());
    ctx_.pageView.clear();
    WriteLinesFile(dayFile, ctx_.pageView);
}

void Kursdatenlesen::ReadDay(DateTime day) {
    ctx_.progress.SetMessage(QStringLiteral("Lade Kursdatei vom ") + formats::DateToStr(day));
    ctx_.host.pumpMessages();
    ctx_.fetch.urlEdit = ctx_.serverAddress(RemotePath(day));
    ctx_.window.setFetchButtons(FetchButtons::Fetching);
    ctx_.window.showStatus(0, QStringLiteral("Loading"));
    QByteArray body;
    std::exception_ptr pending;
    const bool whole = Fetch(ctx_.fetch.urlEdit, body, pending);
    ctx_.host.pumpMessages();
    const QString dayFile = ctx_.fetch.fileNameEdit;
    ctx_.window.setFetchButtons(FetchButtons::Idle);
    try {
        // Only a whole answer is examined: a cut-off file would add a truncated day.
        if (whole) {
            WriteFileReplacing(dayFile, body);
            ExamineDayFile(day);
        }
    } catch (...) {
        QFile::remove(dayFile);
        throw;
    }
    QFile::remove(dayFile);
    if (pending) std::rethrow_exception(pending);
}

// True when the body arrived whole with a status below 400.
bool Kursdatenlesen::Fetch(const QString& url, QByteArray& body, std::exception_ptr& pending) {
    ctx_.client.setInactivityLimit(HttpClient::kDownloadInactivitySeconds);
    try {
        ctx_.client.get(url, body);
        ctx_.retrieval.getTimer().stop();
        ctx_.progress.SetPanel(0, QStringLiteral("Received %1 bytes").arg(body.size()));
        return true;
    } catch (const HttpStatusError&) {
        ctx_.progress.SetPanel(0, QStringLiteral("Failed : %1 %2").arg(ctx_.client.responseCode()).arg(ctx_.client.statusText()));
        ctx_.retrieval.getTimer().stop();
    } catch (const std::exception&) {
        ctx_.host.showMessage(QStringLiteral("%1 bytes").arg(body.size()));
        pending = std::current_exception();
    }
    return false;
}

void Kursdatenlesen::ExamineDayFile(DateTime day) {
    QFile file(ctx_.fetch.fileNameEdit);
    if (!file.open(QIODevice::ReadOnly)) return;
    ctx_.detailView.setText(codec::DecodeWindows1252(file.readAll()));
    const QString first = ctx_.detailView.line(0);
    if (ctx_.detailView.lineCount() < 2 || !LooksLikeDate(first)) return Missing(day);
    const auto date = formats::StrToDate(first);
    if (!date) {
        throw Error(QStringLiteral("Kursdatei vom %1: \"%2\" ist kein gültiges Datum")
                        .arg(formats::DateToStr(day), first));
    }
    if (*date != day) return Missing(day);
    AppendDay();
}

void Kursdatenlesen::AppendDay() {
    QByteArray lines;
    for (int i = 0; i < ctx_.detailView.lineCount(); ++i)
        lines += codec::EncodeWindows1252(ctx_.detailView.line(i)) + "\r\n";
    lines += "\r\n";
    if (quoteFile_.write(lines) != lines.size()) {
        throw Error(QStringLiteral("Kursdatei %1 kann nicht geschrieben werden: %2")
                        .arg(quoteFileName_, quoteFile_.errorString()));
    }
}

void Kursdatenlesen::Missing(DateTime day) {
    ctx_.progress.SetMessage(QStringLiteral(" Kursdaten vom ") + formats::DateToStr(day) +
                             QStringLiteral(" existieren nicht"));
}

}  // namespace zelvon::updates
