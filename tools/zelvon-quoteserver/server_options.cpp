#include "tools/zelvon-quoteserver/server_options.h"

#include <charconv>
#include <cstring>

namespace zelvon::quoteserver {

const char* const kServerUsage =
    "Aufruf: zelvon-quoteserver [--http-port P] [--https-port P] [--ca-out DATEI] [--port-file DATEI] [--quiet]\n"
    "\n"
    "Demo-Kursserver auf 127.0.0.1 mit Seiten in der Form der Kursquellen:\n"
    "  Yahoo:     /quote/<Symbol>\n"
    "  comdirect: /inf/search/<Seite>.html?...&SEARCH_VALUE=<Kennung>...\n"
    "             (Seite: aktien, fonds, optionsscheine, indizes, zertifikate, waehrungen, general)\n"
    "Jede Anfrage zeigt einen neuen Kurs mit der aktuellen Ortszeit.\n"
    "\n"
    "  --http-port P    Port für HTTP (0 = freier Port, Voreinstellung)\n"
    "  --https-port P   Port für HTTPS (0 = freier Port, Voreinstellung)\n"
    "  --ca-out DATEI   schreibt das Zertifikat der beim Start erzeugten CA (PEM) in DATEI,\n"
    "                   für die Einstellung Zelvon_CAFile\n"
    "  --port-file DATEI  schreibt die Ports als \"http=P\" und \"https=P\" in DATEI\n"
    "  --quiet          keine Zeile je Anfrage\n"
    "\n"
    "Das Server-Zertifikat gilt für localhost, *.localhost, yahoo.localhost, comdirect.localhost\n"
    "und 127.0.0.1. Die gewählten Ports stehen nach dem Start auf der Standardausgabe.\n"
    "Der Server läuft bis SIGTERM oder SIGINT.\n"
    "Exit-Status: 0 nach SIGTERM/SIGINT, 1 wenn der Start scheitert, 2 bei falschen Argumenten.\n";

namespace {

bool ParsePort(const char* text, int& port)
{
    const char* end = text + std::strlen(text);
    const auto [rest, error] = std::from_chars(text, end, port);
    return error == std::errc() && rest == end && port >= 0 && port <= 65535;
}

}  // namespace

bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if ((arg == "--http-port" || arg == "--https-port") && hasValue) {
            if (!ParsePort(argv[++i], arg == "--http-port" ? options.httpPort : options.httpsPort)) {
                error = "Ungültiger Port für " + arg + ": " + argv[i];
                return false;
            }
        } else if (arg == "--ca-out" && hasValue) {
            options.caOut = argv[++i];
        } else if (arg == "--port-file" && hasValue) {
            options.portFile = argv[++i];
        } else {
            const bool takesValue = arg == "--http-port" || arg == "--https-port" || arg == "--ca-out"
                                    || arg == "--port-file";
            error = takesValue ? "Wert fehlt für " + arg : "Unbekanntes Argument: " + arg;
            return false;
        }
    }
    if (options.httpPort != 0 && options.httpPort == options.httpsPort) {
        error = "HTTP und HTTPS brauchen verschiedene Ports";
        return false;
    }
    return true;
}

}  // namespace zelvon::quoteserver
