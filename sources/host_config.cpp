#include "sources/host_config.h"

namespace zelvon {
namespace {

void ReadInto(const RegistryKey& key, const char* name, QString& target) {
    if (const auto value = key.ReadString(QString::fromLatin1(name))) {
        if (!value->isEmpty()) target = *value;
    }
}

}  // namespace

QString HostConfig::DomainOf(const QString& host) {
    QString domain = host;
    const qsizetype colon = domain.indexOf(u':');
    if (colon >= 0) domain.truncate(colon);
    if (domain.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)) domain.remove(0, 4);
    return domain;
}

HostConfig HostConfig::Read(const RegistryKey& key) {
    HostConfig c;
    ReadInto(key, "Zelvon_Host_Yahoo", c.yahoo);
    ReadInto(key, "Zelvon_Host_YahooIntl", c.yahooIntl);
    ReadInto(key, "Zelvon_Host_Comdirect", c.comdirect);
    ReadInto(key, "Zelvon_Host_Swiss", c.swiss);
    ReadInto(key, "Zelvon_Host_SwissUS", c.swissUS);
    ReadInto(key, "Zelvon_Host_Wallstreet", c.wallstreet);
    ReadInto(key, "Zelvon_Host_Onvista", c.onvista);
    ReadInto(key, "Zelvon_Host_OnvistaZert", c.onvistaZert);
    ReadInto(key, "Zelvon_Host_Consors", c.consors);
    ReadInto(key, "Zelvon_Host_Teleboerse", c.teleboerse);
    ReadInto(key, "Zelvon_NewsURL", c.newsUrl);
    ReadInto(key, "Zelvon_UpdateURL", c.updateUrl);
    ReadInto(key, "Zelvon_CAFile", c.caFile);
    ReadInto(key, "Zelvon_Browser", c.browser);
    return c;
}

QStringList HostConfig::Problems() const {
    struct Named {
        const char* setting;
        const QString* host;
    };
    const QString teleboerseWord = teleboerseDomain();
    const std::pair<Named, QString> carriers[] = {
        {{"Zelvon_Host_Yahoo", &yahoo}, QStringLiteral("yahoo")},
        {{"Zelvon_Host_Comdirect", &comdirect}, QStringLiteral("comdirect")},
        {{"Zelvon_Host_Wallstreet", &wallstreet}, QStringLiteral("wallstreet")},
        {{"Zelvon_Host_Teleboerse", &teleboerse}, teleboerseWord},
    };
    const Named others[] = {{"Zelvon_Host_Swiss", &swiss},         {"Zelvon_Host_SwissUS", &swissUS},
                            {"Zelvon_Host_Onvista", &onvista},     {"Zelvon_Host_OnvistaZert", &onvistaZert},
                            {"Zelvon_Host_Consors", &consors}};
    QStringList problems;
    for (const auto& [named, word] : carriers) {
        if (word.isEmpty() || !named.host->contains(word)) {
            problems << QStringLiteral("%1 = \"%2\" enthält nicht \"%3\"").arg(QLatin1String(named.setting), *named.host, word);
        }
        for (const auto& [other, otherWord] : carriers) {
            if (other.host != named.host && !word.isEmpty() && other.host->contains(word) && word != otherWord) {
                problems << QStringLiteral("%1 = \"%2\" enthält \"%3\"").arg(QLatin1String(other.setting), *other.host, word);
            }
        }
        for (const Named& other : others) {
            if (!word.isEmpty() && other.host->contains(word)) {
                problems << QStringLiteral("%1 = \"%2\" enthält \"%3\"").arg(QLatin1String(other.setting), *other.host, word);
            }
        }
    }
    return problems;
}

}  // namespace zelvon
