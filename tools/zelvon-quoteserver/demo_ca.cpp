#include "tools/zelvon-quoteserver/demo_ca.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

namespace zelvon::quoteserver {

namespace {

constexpr long kOneHour = 60 * 60;
constexpr long kValidity = 30L * 24 * kOneHour;

std::string OpenSslError(const char* what)
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return std::string(what) + ": " + text;
}

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    const bool added = extension && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool SetRandomSerial(X509* cert)
{
    unsigned char bytes[8];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        return false;
    uint64_t serial = 0;
    for (const unsigned char b : bytes)
        serial = serial << 8 | b;
    return ASN1_INTEGER_set_int64(X509_get_serialNumber(cert), int64_t(serial >> 1)) == 1;
}

// A certificate for key named commonName, valid from an hour ago for 30 days,
// without extensions and unsigned. The issuer is set from issuer, or from the
// certificate itself when issuer is null.
CertificatePtr NewCertificate(EVP_PKEY* key, const char* commonName, X509* issuer)
{
    CertificatePtr cert(X509_new());
    if (!cert || X509_set_version(cert.get(), 2) != 1 || !SetRandomSerial(cert.get())
        || !X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kOneHour)
        || !X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidity) || X509_set_pubkey(cert.get(), key) != 1)
        return nullptr;
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1,
                                   -1, 0) != 1
        || X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name) != 1)
        return nullptr;
    return cert;
}

CertificatePtr MakeCaCertificate(EVP_PKEY* caKey)
{
    CertificatePtr cert = NewCertificate(caKey, "Zelvon Demo Quote Server CA", nullptr);
    if (!cert || !AddExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE")
        || !AddExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign")
        || !AddExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash")
        || X509_sign(cert.get(), caKey, EVP_sha256()) <= 0)
        return nullptr;
    return cert;
}

CertificatePtr MakeServerCertificate(EVP_PKEY* serverKey, X509* ca, EVP_PKEY* caKey)
{
    CertificatePtr cert = NewCertificate(serverKey, "localhost", ca);
    if (!cert || !AddExtension(cert.get(), ca, NID_basic_constraints, "critical,CA:FALSE")
        || !AddExtension(cert.get(), ca, NID_key_usage, "critical,digitalSignature")
        || !AddExtension(cert.get(), ca, NID_ext_key_usage, "serverAuth")
        || !AddExtension(cert.get(), ca, NID_subject_alt_name, kServerNames)
        || !AddExtension(cert.get(), ca, NID_authority_key_identifier, "keyid:always")
        || X509_sign(cert.get(), caKey, EVP_sha256()) <= 0)
        return nullptr;
    return cert;
}

std::string PemOf(X509* cert)
{
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1)
        return {};
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, size_t(length));
}

}  // namespace

DemoCertificates MakeDemoCertificates(std::string& error)
{
    KeyPtr caKey(EVP_EC_gen("P-256"));
    KeyPtr serverKey(EVP_EC_gen("P-256"));
    if (!caKey || !serverKey) {
        error = OpenSslError("Schlüssel nicht erzeugt");
        return {};
    }
    DemoCertificates made;
    made.caCertificate = MakeCaCertificate(caKey.get());
    if (made.caCertificate)
        made.serverCertificate = MakeServerCertificate(serverKey.get(), made.caCertificate.get(), caKey.get());
    if (!made.serverCertificate) {
        error = OpenSslError("Zertifikat nicht erzeugt");
        return {};
    }
    made.caPem = PemOf(made.caCertificate.get());
    made.serverKey = std::move(serverKey);
    return made;
}

}  // namespace zelvon::quoteserver
