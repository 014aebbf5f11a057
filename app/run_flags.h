// Run flags and values that the command line sets, and the parser that fills
// them. Parsing depends on the argument list and today's date only.
#pragma once

#include "platform/formats.h"

#include <QString>
#include <QStringList>

namespace zelvon {

struct RunFlags {
    bool Mini = false;
    bool Automat = false;
    bool Favorite = false;
    bool UpdateLesen = false;
    bool NewsLesen = false;
    bool FirmenLesen = false;
    bool KursInfo = false;
    bool InterInfo = false;
    QString InfoWKN;
    bool Fundament = false;
    int GruppeInfo = -1;
    bool Beispiel = false;
    DateTime LeseDatum = 0;
    // --report FILE: the fetch-all run writes its report there.
    QString ReportFile;
    // --wineprefix DIR: the settings come from DIR/user.reg.
    QString WinePrefix;
    // --branchen, --fundamentaldaten: Yes to the master update's two
    // questions in a run started by switches.
    bool Branchen = false;
    bool Fundamentaldaten = false;

    // Any run flag makes the program automatic: it ends by itself and stores no settings.
    bool AnyRun() const;
};

struct ParsedCommandLine {
    RunFlags flags;
    // Non-empty when a value could not be read; no run may start then.
    QString error;
};

// arguments[0] is the program path, compared like every other argument.
ParsedCommandLine ParseCommandLine(const QStringList& arguments, DateTime today);

}  // namespace zelvon
