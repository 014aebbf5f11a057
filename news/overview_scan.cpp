#include "news/overview_scan.h"

#include "platform/trim.h"

namespace zelvon::news {
namespace {

const QString kEndMarker = QStringLiteral("weitere NASDAQ OMX News");
const QString kStartMarker = QStringLiteral("Realtime News");
const QString kItemMarker = QStringLiteral("content_type news_type");
constexpr int kWindowLength = 1000;

// 1-based position of what in text, 0 when absent (case-sensitive).
qsizetype Pos(QStringView what, QStringView text) { return text.indexOf(what) + 1; }

// The text after the window's "<strong>" and the four characters following it.
QString AfterStrong(const QString& window) { return window.mid(Pos(u"<strong>", window) + 11); }

QString CutBefore(const QString& text, QChar c) {
    const qsizetype at = text.indexOf(c);
    return at < 0 ? text : text.left(at);
}

}  // namespace

OverviewScan::OverviewScan(const TextView& overview, QString baseAddress)
    : overview_(overview), baseAddress_(std::move(baseAddress)), fullText_(overview.text()) {
    bound_ = overview_.find(kEndMarker, 1, int(fullText_.size()));
    // Without either marker the page is not an overview: no items.
    if (bound_ < 0) return;
    const int start = overview_.find(kStartMarker, 1, bound_);
    if (start < 0) return;
    position_ = overview_.find(kItemMarker, start, bound_);
}

std::optional<OverviewItem> OverviewScan::Take() {
    if (AtEnd()) return std::nullopt;
    std::optional<OverviewItem> item = ItemAt(position_);
    position_ = overview_.find(kItemMarker, position_ + 20, bound_);
    return item;
}

std::optional<OverviewItem> OverviewScan::ItemAt(int marker) const {
    const int href = overview_.find(u"href=", marker + 9, bound_);
    if (href <= 0) return std::nullopt;
    const QString window = fullText_.mid(href + 8, kWindowLength);
    OverviewItem item;
    item.detailAddress = baseAddress_ + LinkOf(window);
    item.number = NumberOf(item.detailAddress);
    item.headline = HeadlineOf(window);
    item.zeit = ItemTime(TimeTextOf(window)).value_or(formats::Today());
    return item;
}

QString LinkOf(const QString& window) {
    return CutBefore(window.mid(Pos(u"href=\"", window) + 5), u'"');
}

QString TimeTextOf(const QString& window) { return Trimmed(AfterStrong(window).left(14)); }

QString HeadlineOf(const QString& window) {
    const QString afterStrong = AfterStrong(window);
    return CutBefore(afterStrong.mid(Pos(u"&nbsp;", afterStrong) + 5), u'<');
}

QString NumberOf(const QString& detailAddress) {
    const qsizetype equals = detailAddress.indexOf(u'=');
    return equals < 0 ? detailAddress : Trimmed(QStringView(detailAddress).sliced(equals + 1));
}

std::optional<DateTime> ItemTime(const QString& timeText) {
    const QString text = Trimmed(timeText);
    const qsizetype blank = text.indexOf(u' ');
    const std::optional<DateTime> day = formats::StrToDate(blank < 0 ? QStringView(text) : QStringView(text).left(blank));
    if (!day) return std::nullopt;
    if (blank < 0) return day;
    const std::optional<DateTime> time = formats::StrToTime(QStringView(text).sliced(blank + 1));
    if (!time) return std::nullopt;
    return *day + *time;
}

}  // namespace zelvon::news
