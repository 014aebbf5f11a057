// What page retrieval and page files need from the main window: the visible
// pieces it shows fetch outcomes in, the current security and settings it
// reads, and the window's plain members it shares with the other runs.
#pragma once

#include <QString>

namespace zelvon {

// The pictures of the status icon, in their list order.
enum class StatusIcon { Envelope = 0, Prohibited = 1, CheckMark = 2, Hourglass = 3 };

// "&Holen" and "Hole &alle" are disabled and "&Abbruch" enabled while fetching.
enum class FetchButtons { Idle, Fetching };

enum SavePolicy { kSaveNever = 0, kSaveOnMessage = 1, kSaveAlways = 2 };

// The main window's members that outlive one fetch.
struct FetchState {
    QString urlEdit;       // URLEdit: the address to fetch
    QString fileNameEdit;  // FileNameEdit: the current local file, target of downloads
    double sizeTemp = 0;   // SizeTemp: size of the last page
    bool lade = false;     // Lade: loading may go on
    bool aborted = false;  // set by the abort, cleared when a fetch starts
    // Where the page view's text came from, after redirects; empty while it
    // holds no fetched body.
    QString pageAddress;
};

class RetrievalWindow {
public:
    virtual ~RetrievalWindow() = default;

    // Panel 0 carries fetch messages, panel 1 names or saved files.
    virtual void showStatus(int panel, const QString& text) = 0;
    // Shows and repaints at once, also in the middle of a blocking fetch.
    virtual void showStatusIcon(StatusIcon icon) = 0;
    virtual void setFetchButtons(FetchButtons state) = 0;

    virtual int sourceIndex() const = 0;
    // Fields of the current security (Table1).
    virtual QString securityIsin() const = 0;
    virtual QString securityKennung() const = 0;
    // Moving the securities table to its end makes the fetch-all run stop.
    virtual void moveToLastSecurity() = 0;

    virtual int savePolicy() const = 0;         // RadioGroup1
    virtual QString quoteListFile() const = 0;  // AktienDatei
    virtual bool sampleDatabaseRun() const = 0; // run flag Beispiel
};

}  // namespace zelvon
