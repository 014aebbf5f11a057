// Overview and detail pages of a news service in the shape the news run reads,
// for the tests and the benchmark: an overview with one line per item, padded
// so that every item's window holds only its own link, and detail pages with
// the identifier, the heading and the script the cuts look for.
#pragma once

#include "platform/codec.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace zelvon::test {

struct OverviewEntry {
    QString link;      // "/news/detail?id=4711"
    QString time;      // "dd.mm.yy hh:nn"
    QString headline;
};

inline QString NewsLink(const QString& number) { return QStringLiteral("/news/detail?id=") + number; }

// Windows-1252, as the service sends its overview. Without the end marker the page is no overview.
inline QByteArray OverviewPage(const std::vector<OverviewEntry>& entries, bool endMarker = true) {
    QString page = QStringLiteral("<html>\n<head>\n<title>Ad-hoc-Meldungen</title>\n</head>\n<body>\n");
    for (int i = 0; i < 8; ++i) page += QStringLiteral("<!-- Kopf %1 -->\n").arg(i);
    page += QStringLiteral("<h2>Realtime News</h2>\n");
    const QString padding(600, u'-');
    for (const OverviewEntry& e : entries) {
        page += QStringLiteral("<div class=\"content_type news_type\"><a href=\"%1\"><strong><br>%2&nbsp;%3</strong></a>"
                               "</div><!-- %4 -->\n")
                    .arg(e.link, e.time, e.headline, padding);
    }
    if (endMarker) page += QStringLiteral("<a href=\"/mehr\">weitere NASDAQ OMX News</a>\n");
    page += QStringLiteral("</body>\n</html>\n");
    return codec::EncodeWindows1252(page);
}

// UTF-8, as the service sends its detail pages. lead: the first sentence, where the identifier must stand (before any line
// break); body: the text after it.
inline QByteArray DetailPage(const QString& lead, const QString& body) {
    const QString page = QStringLiteral(
                             "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                             "<title>Ad-hoc-Meldung</title></head><body><h6>Ad-hoc-Meldung</h6> %1<br>%2<br>"
                             "Ende der Meldung<br>\n\n\n\n\n<script type=\"text/javascript\">var x = 1;</script>\n"
                             "</body></html>\n")
                             .arg(lead, body);
    return page.toUtf8();
}

}  // namespace zelvon::test
