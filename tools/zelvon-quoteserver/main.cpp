// zelvon-quoteserver: the demo quote server; see kServerUsage.
#include "tools/zelvon-quoteserver/quote_server.h"
#include "tools/zelvon-quoteserver/server_options.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

// Blocked in every thread, so the main thread alone takes them with sigwait.
sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace zelvon::quoteserver;
    ServerOptions options;
    std::string error;
    if (!ParseServerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zelvon-quoteserver: %s\n\n%s", error.c_str(), kServerUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kServerUsage, stdout);
        return 0;
    }

    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QuoteServer server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "zelvon-quoteserver: %s\n", error.c_str());
        return 1;
    }
    std::printf("http=%d\nhttps=%d\n", server.httpPort(), server.httpsPort());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return 0;
}
