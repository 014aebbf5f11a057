// The demo quote server's command line.
#pragma once

#include <string>

namespace zelvon::quoteserver {

struct ServerOptions {
    int httpPort = 0;   // 0: any free port
    int httpsPort = 0;
    std::string caOut;     // where the CA certificate is written; empty: not written
    std::string portFile;  // where the chosen ports are written; empty: not written
    bool quiet = false;
    bool help = false;
};

extern const char* const kServerUsage;

// False with a German message in error when the arguments are not usable.
bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error);

}  // namespace zelvon::quoteserver
