// The demo quote server: the page catalog served over HTTP and HTTPS on
// 127.0.0.1, each on its own listening thread.
#pragma once

#include "tools/zelvon-quoteserver/demo_ca.h"
#include "tools/zelvon-quoteserver/pages/page_catalog.h"
#include "tools/zelvon-quoteserver/server_options.h"
#include "tools/zelvon-quoteserver/update_files.h"

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace zelvon::quoteserver {

class QuoteServer {
public:
    explicit QuoteServer(const ServerOptions& options);
    ~QuoteServer();
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    // Makes the CA, binds both ports, writes the CA and port files and starts
    // listening. False with a German message in error on any failure.
    bool Start(std::string& error);
    // Stops both listeners and waits for their threads.
    void Stop();

    int httpPort() const { return httpPort_; }
    int httpsPort() const { return httpsPort_; }

private:
    void Route(httplib::Server& server);
    void Answer(const httplib::Request& request, httplib::Response& response);
    bool Bind(httplib::Server& server, int wanted, int& bound, const char* scheme, std::string& error);

    ServerOptions options_;
    std::unique_ptr<quotepages::PageCatalog> catalog_;
    DemoCertificates certificates_;
    UpdateFiles updateFiles_;
    std::unique_ptr<httplib::Server> http_;
    std::unique_ptr<httplib::SSLServer> https_;
    std::thread httpThread_;
    std::thread httpsThread_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
};

}  // namespace zelvon::quoteserver
