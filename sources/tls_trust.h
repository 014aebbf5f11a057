// Trust in the extra CA file (setting Zelvon_CAFile): loaded next to the
// system's store for the HTTP client, and checked on its own for the browser,
// which accepts a certificate it doubts only when that CA issued it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

typedef struct x509_store_st X509_STORE;

namespace zelvon {

// Adds every certificate of the PEM file to store. Returns an empty text on
// success, otherwise what went wrong.
QString AddCaFileToStore(X509_STORE* store, const QString& caFile);

// True when derChain (leaf first, DER encoded) verifies against the CAs of
// caFile alone and the leaf is valid for host.
bool IssuedByCaFile(const QList<QByteArray>& derChain, const QString& host, const QString& caFile);

}  // namespace zelvon
