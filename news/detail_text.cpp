#include "news/detail_text.h"

#include "news/umlaute.h"

namespace zelvon::news {
namespace {

const QString kBodyStart = QStringLiteral("Detail_body_pre");
const QString kBodyEnd = QStringLiteral("</pre></div>");

}  // namespace

void CutHead(TextView& detail) {
    if (!detail.text().contains(kBodyStart)) return;
    while (!detail.line(1).contains(kBodyStart) && detail.lineCount() >= 10) detail.deleteLine(1);
    detail.deleteLine(1);
}

void CutTail(TextView& detail) {
    if (!detail.text().contains(kBodyEnd)) return;
    int i = 1;
    while (i < detail.lineCount() && !detail.line(i).contains(kBodyEnd)) ++i;
    for (int last = detail.lineCount() - 1; last >= i; --last) detail.deleteLine(last);
}

void Normalise(TextView& detail) { detail.setText(umlaute(detail.text())); }

QString KeptExtension(const TextView& detail) {
    return detail.find(u"<html>", 1, int(detail.textLength())) < 0 ? QStringLiteral(".txt") : QStringLiteral(".htm");
}

void CutBody(TextView& detail) {
    const int heading = detail.find(u"</h6>", 1);
    if (heading < 1) return;
    const int script = detail.find(u"<script", heading + 7);
    const int length = script < 0 ? 0 : script - heading - 7;
    const QString body = length > 0 ? detail.text().mid(heading + 6, length) : QString();
    detail.setText(body);
}

}  // namespace zelvon::news
