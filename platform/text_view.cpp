#include "platform/text_view.h"

#include "platform/codec.h"

#include <QSaveFile>

#include <algorithm>

namespace zelvon {

namespace {

// Pages are mostly ASCII; the Unicode tables are asked only for the rest.
QString folded(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            *out++ = QChar(u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u);
        else
            *out++ = c.toCaseFolded();
    }
    return result;
}

}  // namespace

TextView::TextView(QObject* parent) : QObject(parent) {}

TextView::TextView(QStringView text, QObject* parent) : QObject(parent)
{
    setText(text);
}

void TextView::setText(QStringView text)
{
    lines_.clear();
    qsizetype begin = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines_.append(text.sliced(begin, i - begin).toString());
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        begin = i + 1;
    }
    if (begin < size)
        lines_.append(text.sliced(begin).toString());
    invalidate();
}

QString TextView::text() const
{
    return fullText();
}

qsizetype TextView::textLength() const
{
    return fullText().size();
}

int TextView::lineCount() const
{
    return int(lines_.size());
}

QString TextView::line(int index) const
{
    if (index < 0 || index >= lines_.size())
        return QString();
    return lines_.at(index);
}

void TextView::appendLine(const QString& line)
{
    lines_.append(line);
    invalidate();
}

void TextView::insertLine(int index, const QString& line)
{
    lines_.insert(std::clamp<qsizetype>(index, 0, lines_.size()), line);
    invalidate();
}

void TextView::deleteLine(int index)
{
    if (index < 0 || index >= lines_.size())
        return;
    lines_.removeAt(index);
    invalidate();
}

void TextView::clear()
{
    lines_.clear();
    invalidate();
}

int TextView::find(QStringView what, int start, int length) const
{
    const QString& haystack = searchText();
    const qsizetype from = std::max(start, 0);
    if (what.isEmpty() || length <= 0 || from >= haystack.size())
        return -1;
    const qsizetype end = std::min<qsizetype>(haystack.size(), from + qsizetype(length));
    const qsizetype found = QStringView(haystack).indexOf(folded(what), from);
    if (found < 0 || found + what.size() > end)
        return -1;
    return int(found);
}

int TextView::find(QStringView what, int start) const
{
    return find(what, start, int(searchText().size()));
}

bool TextView::saveToFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString& line : lines_) {
        file.write(codec::EncodeWindows1252(line));
        file.write("\r\n");
    }
    return file.commit();
}

void TextView::invalidate()
{
    searchTextValid_ = false;
    fullTextValid_ = false;
    searchText_.clear();
    fullText_.clear();
    emit changed();
}

const QString& TextView::searchText() const
{
    if (!searchTextValid_) {
        searchText_ = folded(lines_.join(u'\n'));
        searchTextValid_ = true;
    }
    return searchText_;
}

const QString& TextView::fullText() const
{
    if (!fullTextValid_) {
        fullText_ = lines_.join(QStringLiteral("\r\n"));
        fullTextValid_ = true;
    }
    return fullText_;
}

}  // namespace zelvon
