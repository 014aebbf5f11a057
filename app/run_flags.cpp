#include "app/run_flags.h"

namespace zelvon {
namespace {

// Only a to z are upper-cased, so umlauts and the like compare unchanged.
QString UpperAscii(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    }
    return out;
}

bool Matches(const QString& upper, const char* shortForm, const char* word) {
    return upper == QLatin1String(shortForm) || (word && upper == QLatin1String(word));
}

bool IsSwitch(const QString& argument) {
    static const char* const kForms[] = {"/M", "MINI", "/A",  "AUTO", "/F",  "FAVORITEN", "/U", "UPDATE", "/N",
                                         "NEWS", "/B", "FIRMA", "/D", "WERT", "/I", "FUNDA", "/G", "/W",
                                         "INFO", "/K", "KURSE"};
    const QString upper = UpperAscii(argument);
    for (const char* form : kForms) {
        if (upper == QLatin1String(form)) return true;
    }
    return false;
}

QString BadValue(const QString& value, const char* sw, const char* expected) {
    return QStringLiteral("Ungültiger Wert \"%1\" nach %2: %3 erwartet").arg(value, QLatin1String(sw),
                                                                             QString::fromUtf8(expected));
}

}  // namespace

bool RunFlags::AnyRun() const {
    return KursInfo || InterInfo || FirmenLesen || UpdateLesen || Beispiel || Automat || NewsLesen || Fundament;
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments, DateTime today) {
    ParsedCommandLine result;
    RunFlags& f = result.flags;
    auto next = [&](qsizetype i) -> const QString* { return i + 1 < arguments.size() ? &arguments[i + 1] : nullptr; };
    // A following switch is no number or date: "/K /M" imports from today and minimises.
    auto numberOrDate = [&](qsizetype i) -> const QString* {
        const QString* value = next(i);
        return value && !IsSwitch(*value) ? value : nullptr;
    };
    auto readGroup = [&](qsizetype i, const char* sw) {
        const QString* value = numberOrDate(i);
        if (!value) return;
        const auto group = formats::StrToInt(*value);
        if (!group) {
            if (result.error.isEmpty()) result.error = BadValue(*value, sw, "eine ganze Zahl");
            return;
        }
        f.GruppeInfo = *group;
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString arg = UpperAscii(arguments[i]);
        // Our own long option; its value is a file name, never a switch.
        if (arg == QLatin1String("--REPORT")) {
            const QString* value = next(i);
            if (value) {
                f.ReportFile = *value;
                ++i;
            } else if (result.error.isEmpty()) {
                result.error = QStringLiteral("Nach --report fehlt der Dateiname");
            }
            continue;
        }
        if (arg == QLatin1String("--WINEPREFIX")) {
            const QString* value = next(i);
            if (value) {
                f.WinePrefix = *value;
                ++i;
            } else if (result.error.isEmpty()) {
                result.error = QStringLiteral("Nach --wineprefix fehlt das Wine-Verzeichnis");
            }
            continue;
        }
        if (arg == QLatin1String("--BRANCHEN")) {
            f.Branchen = true;
            continue;
        }
        if (arg == QLatin1String("--FUNDAMENTALDATEN")) {
            f.Fundamentaldaten = true;
            continue;
        }
        if (Matches(arg, "/M", "MINI")) f.Mini = true;
        if (Matches(arg, "/A", "AUTO")) f.Automat = true;
        if (Matches(arg, "/F", "FAVORITEN")) f.Favorite = true;
        if (Matches(arg, "/U", "UPDATE")) f.UpdateLesen = true;
        if (Matches(arg, "/N", "NEWS")) f.NewsLesen = true;
        if (Matches(arg, "/B", "FIRMA")) f.FirmenLesen = true;
        if (Matches(arg, "/D", "WERT")) f.KursInfo = true;
        if (Matches(arg, "/I", "FUNDA")) {
            f.InterInfo = false;
            f.Fundament = true;
            readGroup(i, "/I");
        }
        if (Matches(arg, "/G", nullptr)) readGroup(i, "/G");
        if (Matches(arg, "/W", "INFO")) {
            f.InterInfo = true;
            const QString* value = next(i);
            f.InfoWKN = value ? *value : QString();
        }
        if (Matches(arg, "/K", "KURSE")) {
            f.LeseDatum = today;
            f.Beispiel = true;
            if (const QString* value = numberOrDate(i)) {
                const auto date = formats::StrToDate(*value);
                if (date) {
                    f.LeseDatum = *date;
                } else if (result.error.isEmpty()) {
                    result.error = BadValue(*value, "/K", "ein Datum (TT.MM.JJJJ)");
                }
            }
        }
    }
    return result;
}

}  // namespace zelvon
