// The plain-text view model behind every multi-line text the program searches
// and cuts: the fetched page, the quote list, news texts, the filter list.
//
// Two coordinate systems on purpose: search positions count each line break as
// one character, the full text joins lines with CR LF. Callers use a search
// position unchanged as a full-text index, so below the first line a cut starts
// one character early per line break; the page markers depend on that.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zelvon {

class TextView : public QObject {
    Q_OBJECT

public:
    explicit TextView(QObject* parent = nullptr);
    explicit TextView(QStringView text, QObject* parent = nullptr);

    // CR, LF and CR LF each end one line; a final line break adds no empty line.
    void setText(QStringView text);
    // Lines joined with CR LF, no break after the last line.
    QString text() const;
    qsizetype textLength() const;

    int lineCount() const;
    // A line past the last one (or before the first) reads as "".
    QString line(int index) const;
    void appendLine(const QString& line);
    void insertLine(int index, const QString& line);
    void deleteLine(int index);
    void clear();

    // Ignores letter case character by character; each line break counts as one
    // character. The match must lie inside [start, start + length); a negative
    // start counts as 0. Returns the search position or -1.
    int find(QStringView what, int start, int length) const;
    // Search from start to the end of the text.
    int find(QStringView what, int start) const;

    // Every line followed by CR LF, in Windows-1252; false when the file cannot be written.
    bool saveToFile(const QString& path) const;

signals:
    void changed();

private:
    void invalidate();
    const QString& searchText() const;
    const QString& fullText() const;

    QStringList lines_;
    mutable QString searchText_;
    mutable QString fullText_;
    mutable bool searchTextValid_ = false;
    mutable bool fullTextValid_ = false;
};

}  // namespace zelvon
