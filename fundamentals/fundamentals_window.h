// What the fundamentals update needs from the main window: its caption and
// status bar, the source and exchange selectors with the address they build,
// the page fetch with its extraction, the group selector's text, message
// processing and the shell.
#pragma once

#include <QString>

namespace zelvon {

class FundamentalsWindow {
public:
    virtual ~FundamentalsWindow() = default;

    // The main window's caption and the application title.
    virtual void ShowRunCaption(const QString& caption) = 0;
    // Panel 1 of the status bar; the security selector shows no entry.
    virtual void ShowSecurity(const QString& name) = 0;
    // Source "Onvista" with its change handling, then exchange entry 0, with
    // its change handling (which builds the address) when buildAddress is set.
    virtual void SelectOnvista(bool buildAddress) = 0;
    // Fetches the address into the page view and runs the extraction.
    virtual void FetchPage() = 0;
    // The price the last extraction read.
    virtual double Price() const = 0;
    virtual QString GroupText() const = 0;
    virtual void ProcessMessages() = 0;
    // Hands the finished log to the user.
    virtual void OpenLog(const QString& path) = 0;
};

}  // namespace zelvon
