#include "tools/zelvon-quoteserver/quote_server.h"

#include "tools/zelvon-quoteserver/news_service.h"
#include "tools/zelvon-quoteserver/output_file.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace zelvon::quoteserver {

namespace {

const char* const kLoopback = "127.0.0.1";

std::mutex logMutex;

void LogRequest(const httplib::Request& request, const httplib::Response& response)
{
    std::lock_guard lock(logMutex);
    std::printf("%s %s -> %d\n", request.method.c_str(), request.target.c_str(), response.status);
    std::fflush(stdout);
}

// Only SO_REUSEADDR: httplib's default SO_REUSEPORT would let a second
// server share a taken port instead of failing.
void ReuseAddressOnly(socket_t socket)
{
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

std::string IndexPage(const std::vector<std::string>& sources)
{
    std::string page = "Zelvon Demo-Kursserver\n\nQuellen:";
    for (const std::string& name : sources)
        page += " " + name;
    return page + "\n\nYahoo: /quote/<Symbol>\n"
                  "comdirect: /inf/search/aktien.html?IC_BYPASS=1&SEARCH_REDIRECT=true&REDIRECT_TYPE=WKN"
                  "&SEARCH_VALUE=<Kennung>\n"
                  "Onvista: onvista.<Host>/<ISIN> (US-ISIN: Trefferliste), onvistazert.<Host>/<ISIN>\n"
                  "wallstreet-online: /informer/?spid=ws&informer_searchkey=<ISIN>, /aktien/realtime?wkn=<Kennung>\n"
                  "Consors: /euroWebDe/-?...&pattern=<Kennung>\n"
                  "Teleboerse: /boersenkurse/suche/?suchbegriff=<ISIN>\n";
}

}  // namespace

QuoteServer::QuoteServer(const ServerOptions& options)
    : options_(options), catalog_(quotepages::PageCatalog::WithBuiltSources())
{
}

QuoteServer::~QuoteServer()
{
    Stop();
}

bool QuoteServer::Start(std::string& error)
{
    if (!updateFiles_.Prepare(error))
        return false;
    certificates_ = MakeDemoCertificates(error);
    if (!certificates_.serverCertificate)
        return false;
    http_ = std::make_unique<httplib::Server>();
    https_ = std::make_unique<httplib::SSLServer>(certificates_.serverCertificate.get(), certificates_.serverKey.get());
    if (!https_->is_valid()) {
        error = "HTTPS-Server nicht eingerichtet: Zertifikat nicht verwendbar";
        return false;
    }
    Route(*http_);
    Route(*https_);
    if (!Bind(*http_, options_.httpPort, httpPort_, "HTTP", error)
        || !Bind(*https_, options_.httpsPort, httpsPort_, "HTTPS", error))
        return false;
    if (!options_.caOut.empty() && !WriteWholeFile(options_.caOut, certificates_.caPem, error))
        return false;
    const std::string ports = "http=" + std::to_string(httpPort_) + "\nhttps=" + std::to_string(httpsPort_) + "\n";
    if (!options_.portFile.empty() && !WriteWholeFile(options_.portFile, ports, error))
        return false;
    httpThread_ = std::thread([this] { http_->listen_after_bind(); });
    httpsThread_ = std::thread([this] { https_->listen_after_bind(); });
    // A stop before a listener runs would be lost and leave its thread listening.
    while (!http_->is_running() || !https_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void QuoteServer::Stop()
{
    if (http_)
        http_->stop();
    if (https_)
        https_->stop();
    if (httpThread_.joinable())
        httpThread_.join();
    if (httpsThread_.joinable())
        httpsThread_.join();
}

void QuoteServer::Route(httplib::Server& server)
{
    server.set_socket_options(ReuseAddressOnly);
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        Answer(request, response);
    });
    if (!options_.quiet)
        server.set_logger(LogRequest);
}

void QuoteServer::Answer(const httplib::Request& request, httplib::Response& response)
{
    // The news service has a host of its own: its overview is the root page.
    if (IsNewsHost(request.get_header_value("Host"))) {
        NewsAnswer news = AnswerNews(request.path, request.get_param_value("id"));
        response.status = news.status;
        response.set_content(std::move(news.body), news.contentType);
        return;
    }
    if (request.path == "/") {
        response.set_content(IndexPage(catalog_->sourceNames()), "text/plain; charset=utf-8");
        return;
    }
    const quotepages::QuoteRequest quoteRequest{request.path, request.params, request.get_header_value("Host")};
    if (auto file = updateFiles_.Serve(request.path)) {
        response.set_content(std::move(file->body), file->contentType);
        return;
    }
    if (auto page = catalog_->Serve(quoteRequest, quotepages::LocalClock::Now())) {
        response.set_content(std::move(page->body), page->contentType);
        return;
    }
    response.status = 404;
    response.set_content("Keine Kursseite unter " + request.path + "\n", "text/plain; charset=utf-8");
}

bool QuoteServer::Bind(httplib::Server& server, int wanted, int& bound, const char* scheme, std::string& error)
{
    if (wanted == 0)
        bound = server.bind_to_any_port(kLoopback);
    else
        bound = server.bind_to_port(kLoopback, wanted) ? wanted : -1;
    if (bound > 0)
        return true;
    error = std::string(scheme) + "-Port " + std::to_string(wanted) + " auf " + kLoopback + " nicht belegbar";
    return false;
}

}  // namespace zelvon::quoteserver
