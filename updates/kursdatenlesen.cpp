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

// The day file lives only while its day is examined: written without the
// sync a lasting file gets.
void WriteDayFile(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(body) != body.size())
        throw Error(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(path, file.errorString()));
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
            WriteDayFile(dayFile, body);
            ExamineDayFile(day, body);
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

// The file just written holds exactly the body. The detail view gets the
// two lines the check reads: decoding all of a 5,000-line day into the view
// would cost more than the rest of the import.
void Kursdatenlesen::ExamineDayFile(DateTime day, const QByteArray& body) {
    qsizetype head = 0;
    for (int breaks = 0; head < body.size() && breaks < 3; ++head)
        if (body[head] == '\n' || (body[head] == '\r' && (head + 1 >= body.size() || body[head + 1] != '\n'))) ++breaks;
    ctx_.detailView.setText(codec::DecodeWindows1252(QByteArrayView(body).first(head)));
    const QString first = ctx_.detailView.line(0);
    if (ctx_.detailView.lineCount() < 2 || !LooksLikeDate(first)) return Missing(day);
    const auto date = formats::StrToDate(first);
    if (!date) {
        throw Error(QStringLiteral("Kursdatei vom %1: \"%2\" ist kein gültiges Datum")
                        .arg(formats::DateToStr(day), first));
    }
    if (*date != day) return Missing(day);
    AppendDay(body);
}

// The view's lines byte for byte, each ending in CR LF, then one empty line.
void Kursdatenlesen::AppendDay(const QByteArray& body) {
    QByteArray lines;
    lines.reserve(body.size() + body.size() / 16 + 4);
    qsizetype start = 0;
    while (start < body.size()) {
        qsizetype end = start;
        while (end < body.size() && body[end] != '\r' && body[end] != '\n') ++end;
        lines.append(body.constData() + start, end - start).append("\r\n");
        if (end < body.size() && body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') ++end;
        start = end + 1;
    }
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
