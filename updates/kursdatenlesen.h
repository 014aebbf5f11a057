// The sample-database price archive import: fetches the update server's day
// files from a start day up to today and appends each file that belongs to
// its day to the suite's quote import file, unchanged.
#pragma once

#include "platform/formats.h"
#include "updates/update_context.h"

#include <QFile>

#include <functional>

namespace zelvon::updates {

class Kursdatenlesen {
public:
    // Local wall-clock time, days since 1899-12-30 with the time as fraction.
    using Clock = std::function<DateTime()>;

    inline static const QString kUserAgent = QStringLiteral("Mozilla/4.0 (compatible; Quarvinta)");
    inline static const QString kAccept =
        QStringLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");

    // quoteFile: AktienDatei, emptied at the start.
    Kursdatenlesen(UpdateContext& context, QString quoteFile, Clock clock = formats::Now);

    // leseDatum: the first day to read; when the run ends it lies after today.
    void Run(DateTime& leseDatum);

private:
    void PrepareDayFile();
    void ReadDay(DateTime day);
    bool Fetch(const QString& url, QByteArray& body, std::exception_ptr& pending);
    void ExamineDayFile(DateTime day, const QByteArray& body);
    void AppendDay(const QByteArray& body);
    void Missing(DateTime day);

    UpdateContext& ctx_;
    QString quoteFileName_;
    Clock clock_;
    QFile quoteFile_;
};

}  // namespace zelvon::updates
