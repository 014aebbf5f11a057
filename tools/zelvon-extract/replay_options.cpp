#include "tools/zelvon-extract/replay_options.h"

#include <QStringList>

#include <cmath>

namespace zelvon::replay {

const char* const kReplayUsage =
    "Aufruf: zelvon-extract --source N --entry M SEITENDATEI [--kennung K] [--isin I] [--ticker T]\n"
    "                      [--waehrung W] [--name NAME] [--zdf Z] [--now \"tt.mm.jjjj hh:nn:ss\"]\n"
    "                      [--hidden] [--policy 0|1|2] [--sizetemp N] [--firma N --store VERZEICHNIS]\n"
    "                      [--followup DATEI] [--swiss-domain NAME] [--last-volume N --last-time hh:mm:ss]\n"
    "\n"
    "Wertet eine gespeicherte Kursseite so aus, wie Zelvon es nach dem Abruf tut. Die Seitendatei\n"
    "wird als Windows-1252 gelesen. Jeder Lauf beginnt mit einem leeren Kurs.\n"
    "\n"
    "  --source N      Quelle (Position in der Quellenauswahl): 0 Yahoo, 1-5, 7, 8 comdirect,\n"
    "                  10 wallstreet-online, 11 Onvista, 12 Consors, 14 Teleboerse, ...;\n"
    "                  -1 oder eine Zahl außerhalb des Katalogs: keine Quelle, nur der Speicherschritt\n"
    "  --entry M       Eintrag der Börsen- bzw. Kennungsauswahl, -1 = keiner\n"
    "  --kennung, --isin, --ticker, --waehrung, --name, --zdf\n"
    "                  Felder des Wertpapiers (Kennung, ISIN, Ticker, Waehrung, Firmenname, ZDF);\n"
    "                  mit --store kommen nicht angegebene Felder aus Firma.db\n"
    "  --now \"tt.mm.jjjj hh:nn:ss\"\n"
    "                  Datum und Uhrzeit der Auswertung (Voreinstellung: jetzt)\n"
    "  --hidden        wie bei verborgenem Hauptfenster: keine Kursliste, kein Statussymbol\n"
    "                  (Consors und Teleboerse melden ihren Kurs auch dann)\n"
    "  --policy 0|1|2  Speicherregel für Seiten; 2 speichert die Seite jedes gelesenen Kurses\n"
    "                  (hier nur gemeldet)\n"
    "  --sizetemp N    Seitenlänge für die Nachrichtenmarke (Voreinstellung: Länge der Seite)\n"
    "  --firma N --store VERZEICHNIS\n"
    "                  speichert den Kurs in VERZEICHNIS/Intraday.db für das Wertpapier N\n"
    "                  aus VERZEICHNIS/Firma.db\n"
    "  --followup DATEI  die Seite, die der Folgeabruf einer Trefferliste liefert (gelesen wie die\n"
    "                  Seitendatei); ohne: der Folgeabruf scheitert mit einer HTTP-Fehlerantwort\n"
    "                  (leere Seitenansicht, Statussymbol 1)\n"
    "  --swiss-domain NAME\n"
    "                  Domainname der Schweizer Quelle für die Schlusswörter (Voreinstellung: der\n"
    "                  eingestellte; swiss.example, wenn es keine Einstellungsdatei gibt)\n"
    "  --last-volume N --last-time hh:mm:ss\n"
    "                  letzte gespeicherte Intraday-Zeile des Wertpapiers von heute, wie die\n"
    "                  Schweizer Intraday-Liste sie liest (Volumen und Uhrzeit); ohne: leere\n"
    "                  Tabelle. Mit --store wird stattdessen VERZEICHNIS/Intraday.db gelesen\n"
    "\n"
    "Ausgabe, je Zeile Name<TAB>Wert in dieser Reihenfolge: Kurs, Datum (tt.mm.jjjj oder 0), Zeit,\n"
    "Volumen, Bid, Ask, Status, Icon (Bildnummer oder unchanged), Stored (yes|no), je angefügter\n"
    "Zeile der Kursliste Line (Tab, CR, LF als \\t, \\r, \\n), Followup (die Adresse des\n"
    "Folgeabrufs, nur wenn eine Trefferliste ihn auslöste), SavePage (yes|no), zuletzt\n"
    "Ended<TAB>at-once, wenn die Auswertung sofort endete.\n"
    "\n"
    "Exit-Status: 0, auch ohne Kurs; 2 falsche Argumente, Datei oder Tabelle nicht lesbar.\n";

namespace {

// More entries than any source's exchange selector holds.
constexpr int kEntryLimit = 99;

bool ParseInteger(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool TakesValue(const QString& option)
{
    static const QStringList withValue = {"--source", "--entry", "--kennung", "--isin", "--ticker",
                                          "--waehrung", "--name", "--zdf", "--now", "--policy",
                                          "--sizetemp", "--firma", "--store", "--followup", "--swiss-domain",
                                          "--last-volume", "--last-time"};
    return withValue.contains(option);
}

void ApplyText(const QString& option, const QString& value, ReplayOptions& options)
{
    if (option == "--kennung")
        options.kennung = value;
    else if (option == "--isin")
        options.isin = value;
    else if (option == "--ticker")
        options.ticker = value;
    else if (option == "--waehrung")
        options.waehrung = value;
    else if (option == "--name")
        options.name = value;
    else if (option == "--zdf")
        options.zdf = value;
    else if (option == "--store")
        options.storeDirectory = value;
    else if (option == "--followup")
        options.followupFile = value;
    else if (option == "--swiss-domain")
        options.swissDomain = value;
}

// False when value is not usable for option.
bool ApplyValue(const QString& option, const QString& value, ReplayOptions& options)
{
    int number = 0;
    if (option == "--source")
        return ParseInteger(value, INT32_MIN, INT32_MAX, options.source);
    if (option == "--entry")
        return ParseInteger(value, -1, kEntryLimit, options.entry);
    if (option == "--policy")
        return ParseInteger(value, 0, 2, options.policy);
    if (option == "--firma" || option == "--sizetemp") {
        if (!ParseInteger(value, option == "--firma" ? INT32_MIN : 0, INT32_MAX, number))
            return false;
        if (option == "--firma")
            options.firma = number;
        else
            options.sizeTemp = number;
        return true;
    }
    if (option == "--last-volume") {
        if (!ParseInteger(value, 0, INT32_MAX, number))
            return false;
        options.lastVolume = number;
        return true;
    }
    if (option == "--last-time") {
        options.lastTime = value.count(u':') == 2 ? formats::StrToTime(value) : std::nullopt;
        return options.lastTime.has_value();
    }
    if (option == "--now") {
        options.now = ParseDateTime(value);
        return options.now.has_value();
    }
    ApplyText(option, value, options);
    return true;
}

bool Complete(const ReplayOptions& options, bool sourceGiven, bool entryGiven, QString& error)
{
    if (!sourceGiven || !entryGiven || options.pageFile.isEmpty())
        error = QStringLiteral("--source, --entry und die Seitendatei sind nötig");
    else if (options.firma.has_value() != !options.storeDirectory.isEmpty())
        error = QStringLiteral("--firma und --store gehören zusammen");
    else if (options.lastVolume.has_value() != options.lastTime.has_value())
        error = QStringLiteral("--last-volume und --last-time gehören zusammen");
    return error.isEmpty();
}

}  // namespace

std::optional<DateTime> ParseDateTime(const QString& text)
{
    const QStringList parts = text.split(u' ');
    if (parts.size() != 2 || parts[0].count(u'.') != 2 || parts[1].count(u':') != 2)
        return std::nullopt;
    const auto date = formats::StrToDate(parts[0]);
    const auto time = formats::StrToTime(parts[1]);
    if (!date || !time)
        return std::nullopt;
    return *date + *time;
}

bool ParseReplayOptions(const QStringList& arguments, ReplayOptions& options, QString& error)
{
    bool sourceGiven = false;
    bool entryGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        }
        if (arg == "--hidden") {
            options.hidden = true;
        } else if (TakesValue(arg)) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("Wert fehlt für %1").arg(arg);
                return false;
            }
            const QString& value = arguments[++i];
            if (!ApplyValue(arg, value, options)) {
                error = QStringLiteral("Ungültiger Wert für %1: %2").arg(arg, value);
                return false;
            }
            sourceGiven |= arg == "--source";
            entryGiven |= arg == "--entry";
        } else if (!arg.startsWith(u'-') && options.pageFile.isEmpty()) {
            options.pageFile = arg;
        } else {
            error = QStringLiteral("Unbekanntes Argument: %1").arg(arg);
            return false;
        }
    }
    return Complete(options, sourceGiven, entryGiven, error);
}

}  // namespace zelvon::replay
