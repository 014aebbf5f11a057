// The certificate authority the demo server makes at every start: its own
// certificate, for the client to trust through Zelvon_CAFile, and the server
// certificate it issued for the loopback names.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace zelvon::quoteserver {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using CertificatePtr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

// Every name a demo address may use: localhost, any *.localhost (one name per
// source below it) and the loopback address.
inline constexpr const char* kServerNames =
    "DNS:localhost,DNS:*.localhost,DNS:yahoo.localhost,DNS:comdirect.localhost,DNS:onvista.localhost,"
    "DNS:onvistazert.localhost,DNS:wallstreet.localhost,DNS:consors.localhost,DNS:teleboerse.localhost,"
    "IP:127.0.0.1";

struct DemoCertificates {
    CertificatePtr caCertificate;
    CertificatePtr serverCertificate;
    KeyPtr serverKey;
    std::string caPem;
};

// Empty certificates and the OpenSSL error in error when making them failed.
DemoCertificates MakeDemoCertificates(std::string& error);

}  // namespace zelvon::quoteserver
