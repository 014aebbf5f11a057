// The demo news service: an overview of ad-hoc news and detail pages for some
// of the demo securities, in the shape the news run reads, answered for the
// host "news.<anything>" (Zelvon_NewsURL = http://news.localhost:<port>).
#pragma once

#include <optional>
#include <string>

namespace zelvon::quoteserver {

struct NewsAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
};

// True when the Host header names the news service.
bool IsNewsHost(const std::string& host);
// "/" is the overview (Windows-1252); "/news/detail?id=N" a detail page
// (UTF-8), 404 for a number the service does not know.
NewsAnswer AnswerNews(const std::string& path, const std::string& id);

}  // namespace zelvon::quoteserver
