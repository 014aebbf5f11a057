// zelvon-extract: replays the extraction on a saved page; see kReplayUsage.
#include "tools/zelvon-extract/replay_options.h"
#include "tools/zelvon-extract/replay_report.h"
#include "tools/zelvon-extract/security_tables.h"

#include "app/settings.h"
#include "extract/extraction.h"
#include "platform/codec.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "platform/text_view.h"
#include "sources/host_config.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>

namespace {

using namespace zelvon;
using namespace zelvon::replay;

// Scripts rely on these two: a run that reads no quote still ends with kDone.
enum ExitCode : int { kDone = 0, kBadArguments = 2 };

// As much as the HTTP client accepts for a page.
constexpr qint64 kPageLimit = qint64(256) * 1024 * 1024;

bool ReadPage(const QString& path, QString& text, QString& error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("Datei nicht lesbar: %1: keine Datei").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Datei nicht lesbar: %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kPageLimit) {
        error = QStringLiteral("Datei zu groß: %1 (%2 Bytes, höchstens %3)").arg(path).arg(file.size()).arg(kPageLimit);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Datei nicht lesbar: %1: %2").arg(path, file.errorString());
        return false;
    }
    text = codec::DecodeWindows1252(bytes);
    return true;
}

void ApplyOverrides(const ReplayOptions& options, extract::Security& security)
{
    security.Firma = options.firma.value_or(security.Firma);
    security.Kennung = options.kennung.value_or(security.Kennung);
    security.ISIN = options.isin.value_or(security.ISIN);
    security.Waehrung = options.waehrung.value_or(security.Waehrung);
    security.Firmenname = options.name.value_or(security.Firmenname);
    security.ZDF = options.zdf.value_or(security.ZDF);
}

// The Swiss source's domain name as the program would show it: from the
// settings file when there is one.
bool ConfiguredSwissDomain(QString& domain, QString& error)
{
    const QString path = RegistryFile::DefaultPath();
    if (!QFileInfo::exists(path)) {
        domain = QStringLiteral("swiss.example");
        return true;
    }
    try {
        RegistryFile registry = RegistryFile::Load(path);
        const RegistryKey* key = registry.OpenKey(kSettingsKey, false);
        domain = key ? HostConfig::Read(*key).swissDomain() : HostConfig{}.swissDomain();
        return true;
    } catch (const RegistryError& e) {
        error = e.message();
        return false;
    }
}

// The last stored row given on the command line is of the run's day.
extract::StoredTrade GivenLastTrade(const ReplayOptions& options, DateTime now)
{
    if (!options.lastVolume)
        return {};
    return {*options.lastVolume, std::floor(now) + *options.lastTime};
}

int Fail(QTextStream& err, const QString& message)
{
    err << "zelvon-extract: " << message << '\n';
    return kBadArguments;
}

// The follow-up fetch as page retrieval does it: the page view is emptied and
// the hourglass shown first; a failed fetch leaves both, with the
// prohibition sign instead of the hourglass.
struct FollowupFetch {
    std::optional<QString> page;
    std::optional<QString> address;
    int picture = extract::kPictureHourglass;

    void run(TextView& pageView, const QString& url)
    {
        address = url;
        pageView.clear();
        if (page)
            pageView.setText(*page);
        else
            picture = extract::kPictureFailure;
    }
};

int Replay(const ReplayOptions& options, QTextStream& out, QTextStream& err)
{
    QString text;
    QString error;
    if (!ReadPage(options.pageFile, text, error))
        return Fail(err, error);
    FollowupFetch followup;
    if (!options.followupFile.isEmpty()) {
        QString followupText;
        if (!ReadPage(options.followupFile, followupText, error))
            return Fail(err, error);
        followup.page = followupText;
    }
    const bool storing = options.firma.has_value();
    SecurityTables tables;
    if (storing && !tables.Open(options.storeDirectory, *options.firma, error))
        return Fail(err, error);

    TextView page(text);
    TextView quoteList;
    extract::ExtractionInput input;
    input.page = &page;
    input.quoteList = &quoteList;
    input.security = storing ? tables.CurrentSecurity() : extract::Security{};
    ApplyOverrides(options, input.security);
    input.source = options.source;
    input.entry = options.entry;
    input.windowVisible = !options.hidden;
    input.savePolicy = options.policy;
    // Page retrieval takes the shown page's length just before it starts the extraction.
    input.SizeTemp = options.sizeTemp.value_or(double(page.textLength()));
    input.now = options.now.value_or(formats::Now());
    input.swissDomain = options.swissDomain.value_or(QString());
    if (!options.swissDomain && !ConfiguredSwissDomain(input.swissDomain, error))
        return Fail(err, error);

    extract::IntradayRow storedRow;
    extract::ExtractionHooks hooks;
    hooks.store = [&](const extract::IntradayRow& row) {
        storedRow = row;
        if (storing)
            tables.Store(row);
    };
    hooks.followup = [&](const QString& address) { followup.run(page, address); };
    const extract::StoredTrade givenLast = GivenLastTrade(options, input.now);
    hooks.lastTrade = [&] { return storing ? tables.LastTrade() : givenLast; };
    hooks.postTrade = [&](const extract::IntradayRow& row) {
        if (storing)
            tables.PostTrade(row);
    };
    extract::QuoteExtractor extractor;
    extract::ExtractionOutcome outcome;
    try {
        outcome = extractor.SpeedButton3Click(input, hooks);
    } catch (const Error& e) {
        return Fail(err, e.message());
    }
    if (followup.address && !outcome.picture)
        outcome.picture = followup.picture;

    PrintReplay(out, extractor.quote, outcome, quoteList, followup.address);
    if (storing && outcome.stored && !tables.Holds(storedRow))
        err << "zelvon-extract: Kurs nicht in " << tables.intradayPath() << " gespeichert (Firma "
            << storedRow.Firma << ", Zeit " << formats::DateTimeToStr(storedRow.Zeit) << ")\n";
    return kDone;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    ReplayOptions options;
    QString error;
    if (!ParseReplayOptions(application.arguments().mid(1), options, error)) {
        err << "zelvon-extract: " << error << "\n\n" << kReplayUsage;
        return kBadArguments;
    }
    if (options.help) {
        out << kReplayUsage;
        return kDone;
    }
    return Replay(options, out, err);
}
