// The text operations the source extractions are written in: marker search on
// the page view and a window of at most 1000 characters cut from its full text.
// Search positions are used unchanged as full-text indices (see TextView).
#pragma once

#include "platform/trim.h"

#include "platform/text_view.h"

#include <QString>
#include <QStringView>

namespace zelvon::extract {

inline constexpr int kWindowLimit = 1000;
inline constexpr int kNoLimit = -1;

class PageCutter {
public:
    explicit PageCutter(const TextView& page);

    // Case-insensitive search from s (negative counts as 0) to the end; -1 if absent.
    int FindMarker(QStringView marker, int start) const;
    // Window := full text from index s, at most n characters and never more than 1000.
    void TakeWindow(int start, int count);
    // When x is in the window: window := its text from k characters after the
    // start of the first x, at most n characters. Otherwise unchanged.
    void SkipPast(QStringView x, int k, int count = kNoLimit);
    // When x is in the window: keep only the text before the first x.
    void CutBefore(QStringView x);

    const QString& window() const { return window_; }
    void setWindow(const QString& text);
    void appendToWindow(QStringView text);

    // Full-text characters at a search position; outside the text gives "".
    QString pageText(int start, int count) const;

private:
    const TextView& page_;
    QString window_;
};

using zelvon::Trimmed;
// The first occurrence of c removed; unchanged when c does not occur.
void RemoveFirst(QString& text, QChar c);
// The first occurrence of c replaced by r.
void ReplaceFirst(QString& text, QChar c, QChar r);
// Text before the first c, or all of it.
QString Before(QStringView text, QChar c);

}  // namespace zelvon::extract
