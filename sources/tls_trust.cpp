#include "sources/tls_trust.h"

#include <openssl/err.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

namespace zelvon {

namespace {

struct StoreFree {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
struct StoreContextFree {
    void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};
struct CertificateStackFree {
    void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

std::unique_ptr<X509, CertificateFree> ParseDer(const QByteArray& der)
{
    const auto* data = reinterpret_cast<const unsigned char*>(der.constData());
    return std::unique_ptr<X509, CertificateFree>(d2i_X509(nullptr, &data, der.size()));
}

bool LeafMatchesHost(X509* leaf, const QString& host)
{
    const QByteArray name = host.toUtf8();
    return X509_check_host(leaf, name.constData(), size_t(name.size()), 0, nullptr) == 1
           || X509_check_ip_asc(leaf, name.constData(), 0) == 1;
}

}  // namespace

QString AddCaFileToStore(X509_STORE* store, const QString& caFile)
{
    const QByteArray path = caFile.toLocal8Bit();
    if (X509_STORE_load_file(store, path.constData()) == 1)
        return QString();
    char reason[256] = {};
    ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
    ERR_clear_error();
    return QStringLiteral("CA-Datei %1 nicht lesbar: %2").arg(caFile, QString::fromLatin1(reason));
}

bool IssuedByCaFile(const QList<QByteArray>& derChain, const QString& host, const QString& caFile)
{
    if (derChain.isEmpty() || caFile.isEmpty())
        return false;
    std::unique_ptr<X509_STORE, StoreFree> store(X509_STORE_new());
    if (!store || !AddCaFileToStore(store.get(), caFile).isEmpty())
        return false;
    auto leaf = ParseDer(derChain.first());
    std::unique_ptr<STACK_OF(X509), CertificateStackFree> intermediates(sk_X509_new_null());
    if (!leaf || !intermediates)
        return false;
    for (qsizetype i = 1; i < derChain.size(); ++i) {
        auto certificate = ParseDer(derChain.at(i));
        if (!certificate || !sk_X509_push(intermediates.get(), certificate.get()))
            return false;
        certificate.release();
    }
    std::unique_ptr<X509_STORE_CTX, StoreContextFree> context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store.get(), leaf.get(), intermediates.get()) != 1)
        return false;
    const bool verified = X509_verify_cert(context.get()) == 1;
    ERR_clear_error();
    return verified && LeafMatchesHost(leaf.get(), host);
}

}  // namespace zelvon
