// Real HTTP and HTTPS servers on 127.0.0.1 for the retrieval tests, plus a
// listener that accepts connections and never answers.
#pragma once

#include <httplib.h>

#include <QString>

#include <memory>
#include <thread>

namespace zelvon::test {

enum class Tls { None, TestCa, Rogue };

// The PEM file of the CA that issued the test server's certificate.
QString TestCaFile();

class LoopbackServer {
public:
    explicit LoopbackServer(Tls tls = Tls::None);
    ~LoopbackServer();

    // Register routes first, then start.
    httplib::Server& routes() { return *server_; }
    void start();

    int port() const { return port_; }
    // "http://host:port/path" (https with TLS); host defaults to 127.0.0.1.
    QString url(const QString& path, const QString& host = QStringLiteral("127.0.0.1")) const;
    // "host:port", the shape of a configured host name.
    QString hostWithPort(const QString& host) const;

private:
    std::unique_ptr<httplib::Server> server_;
    bool tls_;
    int port_ = 0;
    std::thread thread_;
};

// Accepts TCP connections into the kernel's backlog and never reads or writes.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    int port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

}  // namespace zelvon::test
