// Hosts of the quote sources, the news service and the update server, plus the
// transport choices read from the settings at start. Never written back.
#pragma once

#include "platform/registry.h"

#include <QString>
#include <QStringList>

namespace zelvon {

struct HostConfig {
    QString yahoo = QStringLiteral("de.finance.yahoo.com");
    QString yahooIntl = QStringLiteral("finance.yahoo.com");
    QString comdirect = QStringLiteral("www.comdirect.de");
    QString swiss = QStringLiteral("www.swissquote.ch");
    QString swissUS = QStringLiteral("us.swissquote.com");
    QString wallstreet = QStringLiteral("www.wallstreet-online.de");
    QString onvista = QStringLiteral("www.onvista.de");
    QString onvistaZert = QStringLiteral("zertifikate.onvista.de");
    QString consors = QStringLiteral("www.consorsbank.de");
    QString teleboerse = QStringLiteral("www.teleboerse.de");
    QString newsUrl = QStringLiteral("https://news.selvaran.de");
    QString updateUrl = QStringLiteral("https://update.selvaran.de");
    // Extra certificate authority trusted next to the system's store.
    QString caFile;
    // "http" chooses the browser engine built on the HTTP client.
    QString browser;

    // A host's domain name: without port and without a leading "www.".
    static QString DomainOf(const QString& host);
    QString swissDomain() const { return DomainOf(swiss); }
    QString yahooIntlDomain() const { return DomainOf(yahooIntl); }
    QString teleboerseDomain() const { return DomainOf(teleboerse); }

    // Reads the Zelvon_Host_* values and the transport values; a value of the
    // wrong type raises RegistryError.
    static HostConfig Read(const RegistryKey& key);

    // The fetch path is chosen by words in the address: the hosts of Yahoo,
    // comdirect, wallstreet-online and Teleboerse must carry theirs, and no other
    // request host may carry any. Returns the German problems, empty when sound.
    QStringList Problems() const;
};

}  // namespace zelvon
