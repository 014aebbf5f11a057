#include "app/command_help.h"

namespace zelvon {

InformationRequest FindInformationRequest(const QStringList& arguments) {
    InformationRequest request = InformationRequest::None;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        // The values of --report and --wineprefix are file names, never requests.
        if (argument.compare(QStringLiteral("--report"), Qt::CaseInsensitive) == 0 ||
            argument.compare(QStringLiteral("--wineprefix"), Qt::CaseInsensitive) == 0) {
            ++i;
            continue;
        }
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) return InformationRequest::Help;
        if (argument == QStringLiteral("--version")) request = InformationRequest::Version;
    }
    return request;
}

QString ProgramVersion() { return QStringLiteral(ZELVON_VERSION); }

QString VersionText() { return QStringLiteral("zelvon %1\n").arg(ProgramVersion()); }

QString HelpText() {
    return QStringLiteral(
        "Aufruf: zelvon [SCHALTER ...]\n"
        "Kurse, Nachrichten und Stammdaten für Quarvinta. Ohne Schalter öffnet sich das Fenster;\n"
        "mit einem Lauf-Schalter arbeitet Zelvon ohne Rückfrage und beendet sich danach.\n"
        "Schalter und Wörter sind gleichwertig, Groß- und Kleinschreibung zählt nicht.\n"
        "\n"
        "Schalter:\n"
        "  /M, Mini               minimiert starten\n"
        "  /A, Auto               alle Kurse holen, danach beenden\n"
        "  /F, Favoriten          nur Favoriten, für diesen Start\n"
        "  /U, Update             Videotext-Filter aktualisieren\n"
        "  /N, News               Ad-hoc-Nachrichten einlesen\n"
        "  /B, Firma              Wertpapier-Stammdaten aktualisieren\n"
        "  /D, Wert               mit /W n: Kurs des Wertpapiers n holen\n"
        "  /W n, Info n           Seite des Wertpapiers n zeigen\n"
        "  /I g, Funda g          Fundamentaldaten aktualisieren (Gruppe g)\n"
        "  /G g                   Gruppe g verwenden\n"
        "  /K [TT.MM.JJJJ], Kurse vergangene Kurse einlesen (höchstens 90 Tage zurück)\n"
        "\n"
        "Lange Optionen:\n"
        "  --report DATEI         mit /A: Bericht des Laufs als JSON in DATEI schreiben\n"
        "  --wineprefix DIR       Einstellungen aus DIR/user.reg lesen (Wine-Verzeichnis der Suite)\n"
        "  --branchen             mit /B: die Frage nach den Branchen mit Ja beantworten\n"
        "  --fundamentaldaten     mit /B: die Frage nach den Fundamentaldaten mit Ja beantworten\n"
        "  --help, -h             diese Hilfe zeigen\n"
        "  --version              Version zeigen\n"
        "\n"
        "Umgebungsvariablen:\n"
        "  ZELVON_REGISTRY        Einstellungsdatei (eigene .reg-Datei oder eine user.reg von Wine)\n"
        "  XDG_CONFIG_HOME        Ort der eigenen Einstellungsdatei Selvaran/Quarvinta.reg\n"
        "                         (ohne: ~/.config)\n"
        "  WINEPREFIX             Wine-Verzeichnis: seine user.reg gilt, solange es die eigene\n"
        "                         Einstellungsdatei nicht gibt; Windows-Pfade werden darüber zugeordnet\n"
        "  XDG_RUNTIME_DIR        Ort der Sperre, die einen zweiten Start verhindert, und der\n"
        "                         Sockets der lokalen Kursprogramme (zelvon-dde/)\n"
        "  ZELVON_DDE_DIR         Verzeichnis der Sockets der lokalen Kursprogramme WinBis und TaiPanRT\n"
        "  http_proxy             Proxy-Angabe, wenn die Einstellungen keine enthalten\n"
        "  DISPLAY, WAYLAND_DISPLAY  ohne beide läuft Zelvon ohne Fenster; Meldungen gehen nach stderr\n"
        "\n"
        "Rückgabewerte:\n"
        "  0  die Läufe sind bis zu ihrem Ende gekommen (auch: eine andere Kopie läuft schon)\n"
        "  1  ein Fehler hat einen Lauf oder den Start beendet\n"
        "  2  ungültiger Schalterwert oder Wertpapiernummer nicht gefunden\n");
}

}  // namespace zelvon
