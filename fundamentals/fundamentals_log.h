// The fundamentals log "fundalog.txt": a head naming the group and the time,
// one line per updated security with its price and figures, and an end line.
// Windows-1252 text with CR LF; created anew by each run.
#pragma once

#include "fundamentals/fundamental_page.h"
#include "platform/formats.h"

#include <QFile>
#include <QString>

namespace zelvon {

inline const QString kFundamentalsLogName = QStringLiteral("fundalog.txt");

class FundamentalsLog {
public:
    // Creates the file and writes the head; raises an Error naming the file
    // when it cannot be created or written.
    FundamentalsLog(const QString& path, const QString& group, DateTime now);

    void WriteSecurity(const QString& name, double price, const FundamentalValues& values);
    // Writes the end line and closes the file.
    void Finish(DateTime now);

    QString path() const { return file_.fileName(); }

private:
    void WriteLine(const QString& line);

    QFile file_;
};

// A name filled up with underscores to 30 characters; a longer one stays whole.
QString PaddedName(const QString& name);

}  // namespace zelvon
