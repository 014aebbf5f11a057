// Routes of a quote server that never gives a usable page in time: one that
// drips a few bytes now and then, one that stalls after its headers, one that
// sends more than any page may hold. Shared by the client and program tests.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace zelvon::test {

class HostileRoutes {
public:
    static constexpr int kDripBytes = 64;
    static constexpr auto kDripPause = std::chrono::seconds(7);
    static constexpr size_t kHugeBytes = size_t(300) * 1024 * 1024;

    // "/drip...", "/stall..." and "/huge..." (any suffix); the drip page
    // starts with text, so what arrived first is a page of its own.
    explicit HostileRoutes(httplib::Server& server)
    {
        server.Get(R"(/drip.*)", [this](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
                const std::string chunk = "<html><body>" + std::string(kDripBytes - 12, 'd');
                return sink.write(chunk.data(), chunk.size()) && Pause(kDripPause);
            });
        });
        server.Get(R"(/stall.*)", [this](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink&) {
                Pause(std::chrono::seconds(60));
                return false;
            });
        });
        server.Get(R"(/huge.*)", [](const httplib::Request&, httplib::Response& response) {
            auto sent = std::make_shared<size_t>(0);
            response.set_chunked_content_provider("text/html", [sent](size_t, httplib::DataSink& sink) {
                static const std::string block = "Kurs 12,34 " + std::string(1024 * 1024 - 11, 'h');
                if (*sent >= kHugeBytes) {
                    sink.done();
                    return true;
                }
                *sent += block.size();
                return sink.write(block.data(), block.size());
            });
        });
    }
    // Ends every pause, so the server can stop without waiting them out.
    ~HostileRoutes() { stopping_ = true; }
    void Stop() { stopping_ = true; }

private:
    // False when the server stops.
    bool Pause(std::chrono::seconds length)
    {
        const auto end = std::chrono::steady_clock::now() + length;
        while (!stopping_ && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !stopping_;
    }

    std::atomic<bool> stopping_{false};
};

}  // namespace zelvon::test
