// Local page files: the fetched page saved under the security's Kennung next
// to the current local file, the quote list written to the quote file, and the
// buttons that hand a file or address to the desktop's default program.
#pragma once

#include "sources/retrieval_window.h"

#include <QUrl>

#include <functional>

namespace zelvon {

class TextView;

class PageFiles {
public:
    using ShellOpen = std::function<void(const QUrl&)>;

    // shellOpen defaults to the desktop's "open" action.
    PageFiles(RetrievalWindow& window, FetchState& state, TextView& pageView, TextView& quoteList,
              ShellOpen shellOpen = {});

    // Raises an Error when the page file cannot be written, also for a Kennung
    // that would put it anywhere but next to the current local file.
    void SpeedButton4Click();
    void SpeedButton2Click();
    void SpeedButton1Click();
    // Errors are swallowed: the status panel then keeps its text.
    void BitBtn1Click();
    void SpeedButton6Click();

    QString pageFileName() const;

private:
    RetrievalWindow& window_;
    FetchState& state_;
    TextView& pageView_;
    TextView& quoteList_;
    ShellOpen shellOpen_;
};

}  // namespace zelvon
