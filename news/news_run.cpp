#include "news/news_run.h"

#include "news/detail_text.h"
#include "news/file_download.h"
#include "news/security_match.h"
#include "platform/codec.h"
#include "platform/error.h"
#include "platform/trim.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>

#include <algorithm>

namespace zelvon::news {
namespace {

constexpr int kMaxShownNumber = 40;

// Restores the client's limits when the run ends: the client serves the whole program.
class ClientLimits {
public:
    ClientLimits(HttpClient& client, int inactivitySeconds, qint64 bodyLimit)
        : client_(client), inactivity_(client.inactivityLimit()) {
        client_.setInactivityLimit(inactivitySeconds);
        client_.setBodyLimit(bodyLimit);
    }
    ~ClientLimits() {
        client_.setInactivityLimit(inactivity_);
        client_.setBodyLimit(HttpClient::kDefaultBodyLimit);
    }

private:
    HttpClient& client_;
    int inactivity_;
};

// Deletes a file when the scope ends, also when an error passes through.
class RemovedAtEnd {
public:
    explicit RemovedAtEnd(QString path) : path_(std::move(path)) {}
    ~RemovedAtEnd() { QFile::remove(path_); }

private:
    QString path_;
};

QString WithoutTrailingSlash(QString address) {
    while (address.endsWith(u'/')) address.chop(1);
    return address;
}

bool LoadFile(const QString& path, TextView& view) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    view.setText(codec::DecodeWindows1252(file.readAll()));
    return true;
}

QString ItemCaption(const MatchedSecurity& security, DateTime zeit) {
    QString when = formats::DateToStr(zeit);
    if (formats::TimeToStr(zeit) != QStringLiteral("00:00")) when += u' ' + formats::TimeToStr(zeit);
    return QStringLiteral("%1 (%2) vom %3").arg(security.firmenName, security.kennung, when);
}

}  // namespace

int32_t NewsNumber(const QString& number) {
    const bool digits = !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    if (const std::optional<int32_t> value = digits ? formats::StrToInt(number) : std::nullopt) return *value;
    const QString shown = number.size() > kMaxShownNumber ? number.left(kMaxShownNumber) + QStringLiteral("…") : number;
    throw Error(QStringLiteral("„%1“ ist keine gültige Meldungsnummer (Nachrichten.db, Feld Nummer)").arg(shown));
}

NewsRun::NewsRun(db::Session& session, HttpClient& client, RunProgress& progress, NewsRunSettings settings)
    : session_(session), client_(client), progress_(progress), settings_(std::move(settings)),
      baseAddress_(WithoutTrailingSlash(settings_.newsUrl)) {}

NewsRunResult NewsRun::Newseinlesen() {
    const ClientLimits limits(client_, settings_.inactivitySeconds, settings_.pageLimit);
    const RemovedAtEnd overviewFile(OverviewFile());
    NewsRunResult result;
    progress_.SetCaption(QString::fromUtf8(kCaption));
    progress_.Show();
    result.overviewRead = ReadOverview();
    if (result.overviewRead) {
        NewsTables tables(session_, settings_.home);
        ScanOverview(tables, result);
    }
    return result;
}

bool NewsRun::ReadOverview() {
    QFile::remove(OverviewFile());
    progress_.SetMessage(QStringLiteral("Lese die Nachrichten-Übersichtsseite"));
    if (!QFile::exists(OverviewFile())) Download(baseAddress_ + u'/', OverviewFile());
    if (!QFile::exists(OverviewFile())) return false;
    progress_.SetMessage(QStringLiteral("Nachrichten-Übersichtsseite geladen"));
    progress_.Resize(450, 100);
    return LoadFile(OverviewFile(), pageView_);
}

void NewsRun::ScanOverview(NewsTables& tables, NewsRunResult& result) {
    OverviewScan scan(pageView_, baseAddress_);
    while (!scan.AtEnd()) {
        const std::optional<OverviewItem> item = scan.Take();
        if (!item) continue;
        ++result.items;
        progress_.SetMessage(item->headline);
        Pump();
        if (!item->number.isEmpty()) {
            const int32_t nummer = NewsNumber(item->number);
            if (!tables.Holds(nummer) && ProcessItem(tables, *item, nummer)) ++result.stored;
        }
        if (!progress_.StillVisible()) {
            result.stopped = true;
            return;
        }
    }
}

bool NewsRun::ProcessItem(NewsTables& tables, const OverviewItem& item, int32_t nummer) {
    const QString& number = item.number;
    const QString detailFile = settings_.tempPath + number + QStringLiteral(".txt");
    const RemovedAtEnd removed(detailFile);
    // A link that leads off the service is not followed.
    if (!OnService(item.detailAddress)) return false;
    if (!QFile::exists(detailFile) && !QFile::exists(settings_.tempPath + number + QStringLiteral(".htm"))) {
        Download(item.detailAddress, detailFile);
    }
    if (!LoadFile(detailFile, detailView_)) return false;

    CutHead(detailView_);
    CutTail(detailView_);
    Normalise(detailView_);
    const QString keptName = number + KeptExtension(detailView_);
    SecurityLookup lookup(tables.Firma());
    const std::optional<MatchedSecurity> security = lookup.Find(FindIdentifier(detailView_));
    if (security && security->aktiv) {
        progress_.SetMessage(item.headline, true);
        progress_.Beep();
        progress_.Beep();
        progress_.Refresh();
    }
    CutBody(detailView_);
    const QString caption =
        security ? ItemCaption(*security, item.zeit) : QStringLiteral("Ad-hoc - Meldung nicht zugeordnet");
    progress_.SetCaption(caption);
    const QString headline = Trimmed(item.headline).isEmpty() ? caption : item.headline;

    const QString keptPath = settings_.keptDirectory + keptName;
    if (!detailView_.saveToFile(keptPath)) throw Error(QStringLiteral("Datei %1 nicht schreibbar").arg(keptPath));
    progress_.SetTempName(keptPath);
    detailView_.clear();

    if (item.zeit <= 0) return false;
    const bool english = headline.contains(QStringLiteral("engl.")) && settings_.sprache == 0;
    tables.Append({nummer, security ? security->firma : 0, headline, item.zeit, !english});
    return true;
}

bool NewsRun::OnService(const QString& address) const {
    const QUrl base(baseAddress_);
    const QUrl url(address);
    return url.isValid() && url.scheme() == base.scheme() && url.host() == base.host() && url.port() == base.port()
           && url.userInfo().isEmpty();
}

void NewsRun::Download(const QString& url, const QString& path) { DownloadFile(client_, url, path, progress_); }

void NewsRun::Pump() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

QString NewsRun::OverviewFile() const { return settings_.tempPath + QStringLiteral("NIndex.htm"); }

}  // namespace zelvon::news
