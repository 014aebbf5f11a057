#include "extract/working_text.h"

namespace zelvon::extract {

void DeleteThrough(QString& s, QStringView x)
{
    if (x.isEmpty())
        return;
    const qsizetype found = s.indexOf(x);
    if (found >= 0)
        s.remove(0, found + 1);
}

void CutAt(QString& s, QStringView x)
{
    if (x.isEmpty())
        return;
    const qsizetype found = s.indexOf(x);
    if (found >= 0)
        s.truncate(found);
}

void DeletePastPosition(QString& s, QStringView x, int extra)
{
    if (x.isEmpty())
        return;
    const qsizetype found = s.indexOf(x);
    if (found >= 0)
        s.remove(0, found + 1 + extra);
}

bool OccursBefore(QStringView s, QStringView x, int limit)
{
    const qsizetype found = x.isEmpty() ? -1 : s.indexOf(x);
    return found >= 0 && found + 1 < limit;
}

}  // namespace zelvon::extract
