// Cuts on a working text that, unlike the window, has no length limit: the
// smaller web sources walk their values out of it marker by marker.
#pragma once

#include <QString>
#include <QStringView>

namespace zelvon::extract {

// When x occurs: removes everything up to and including the first character
// of its first occurrence, so the text starts one character into x.
void DeleteThrough(QString& s, QStringView x);
// When x occurs: removes its first occurrence and everything after it.
void CutAt(QString& s, QStringView x);
// When x occurs at 1-based position k: removes the first k + extra characters.
// With x "<td" and extra 4 that is the text before the tag, the tag name and
// the two characters after it.
void DeletePastPosition(QString& s, QStringView x, int extra);
// x occurs and starts before the 1-based position limit.
bool OccursBefore(QStringView s, QStringView x, int limit);

}  // namespace zelvon::extract
