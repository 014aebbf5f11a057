#include "extract/page_cutter.h"

#include <algorithm>

namespace zelvon::extract {

PageCutter::PageCutter(const TextView& page) : page_(page) {}

int PageCutter::FindMarker(QStringView marker, int start) const
{
    return page_.find(marker, start);
}

void PageCutter::TakeWindow(int start, int count)
{
    window_ = pageText(std::max(start, 0), std::min(count, kWindowLimit));
}

void PageCutter::SkipPast(QStringView x, int k, int count)
{
    const qsizetype found = window_.indexOf(x);
    if (found < 0)
        return;
    const qsizetype from = found + k;
    if (from >= window_.size()) {
        window_.clear();
        return;
    }
    window_ = count < 0 ? window_.mid(from) : window_.mid(from, count);
}

void PageCutter::CutBefore(QStringView x)
{
    const qsizetype found = window_.indexOf(x);
    if (found >= 0)
        window_.truncate(found);
}

void PageCutter::setWindow(const QString& text)
{
    window_ = text.left(kWindowLimit);
}

void PageCutter::appendToWindow(QStringView text)
{
    window_ += text;
    window_.truncate(kWindowLimit);
}

QString PageCutter::pageText(int start, int count) const
{
    const QString& full = page_.text();
    if (start < 0 || count <= 0 || start >= full.size())
        return QString();
    return full.mid(start, count);
}

void RemoveFirst(QString& text, QChar c)
{
    const qsizetype found = text.indexOf(c);
    if (found >= 0)
        text.remove(found, 1);
}

void ReplaceFirst(QString& text, QChar c, QChar r)
{
    const qsizetype found = text.indexOf(c);
    if (found >= 0)
        text[found] = r;
}

QString Before(QStringView text, QChar c)
{
    const qsizetype found = text.indexOf(c);
    return (found < 0 ? text : text.first(found)).toString();
}

}  // namespace zelvon::extract
