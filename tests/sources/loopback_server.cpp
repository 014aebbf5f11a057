#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace zelvon::test {

namespace {

std::string CertPath(const char* name)
{
    return std::string(ZELVON_TEST_CERT_DIR) + "/" + name;
}

std::unique_ptr<httplib::Server> MakeServer(Tls tls)
{
    switch (tls) {
    case Tls::None:
        return std::make_unique<httplib::Server>();
    case Tls::TestCa:
        return std::make_unique<httplib::SSLServer>(CertPath("server.pem").c_str(), CertPath("server.key").c_str());
    case Tls::Rogue:
        return std::make_unique<httplib::SSLServer>(CertPath("rogue.pem").c_str(), CertPath("rogue.key").c_str());
    }
    return nullptr;
}

}  // namespace

QString TestCaFile()
{
    return QString::fromStdString(CertPath("ca.pem"));
}

LoopbackServer::LoopbackServer(Tls tls) : server_(MakeServer(tls)), tls_(tls != Tls::None)
{
    if (!server_->is_valid())
        throw std::runtime_error("test server certificate not loadable from " ZELVON_TEST_CERT_DIR);
}

LoopbackServer::~LoopbackServer()
{
    server_->stop();
    if (thread_.joinable())
        thread_.join();
}

void LoopbackServer::start()
{
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0)
        throw std::runtime_error("test server cannot bind to 127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

QString LoopbackServer::url(const QString& path, const QString& host) const
{
    return QStringLiteral("%1://%2%3").arg(tls_ ? "https" : "http", hostWithPort(host), path);
}

QString LoopbackServer::hostWithPort(const QString& host) const
{
    return QStringLiteral("%1:%2").arg(host).arg(port_);
}

SilentServer::SilentServer()
{
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(socket_, 16) != 0
        || ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("silent test server cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer()
{
    ::close(socket_);
}

}  // namespace zelvon::test
