// Trimming as the program means it: only characters of code 32 or below go,
// so non-breaking spaces and the like stay part of the text.
#pragma once

#include <QString>
#include <QStringView>

namespace zelvon {

inline QStringView TrimmedView(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.sliced(begin, end - begin);
}

inline QString Trimmed(QStringView text) { return TrimmedView(text).toString(); }

}  // namespace zelvon
