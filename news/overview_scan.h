// The overview page of the ad-hoc news service, read item by item: the detail
// address, the news number, the headline and the item's time, cut from the
// window of overview text that follows each item's marker.
#pragma once

#include "platform/formats.h"
#include "platform/text_view.h"

#include <QString>

#include <optional>

namespace zelvon::news {

struct OverviewItem {
    QString detailAddress;
    QString number;  // what follows the address's first "=", trimmed
    QString headline;
    DateTime zeit = 0;  // today (midnight) when the time text does not convert
};

class OverviewScan {
public:
    // baseAddress: scheme and host of the service, no trailing "/". The view
    // must outlive the scan.
    OverviewScan(const TextView& overview, QString baseAddress);

    bool AtEnd() const { return position_ < 0; }
    // The item at the current marker, then on to the next marker; empty when
    // the marker has no link after it.
    std::optional<OverviewItem> Take();

private:
    std::optional<OverviewItem> ItemAt(int marker) const;

    const TextView& overview_;
    QString baseAddress_;
    QString fullText_;
    int bound_ = -1;  // length of every search: up to the "more news" link
    int position_ = -1;
};

// The item window's pieces, exposed for the tests of their cuts.
QString LinkOf(const QString& window);
QString TimeTextOf(const QString& window);
QString HeadlineOf(const QString& window);
QString NumberOf(const QString& detailAddress);
// "dd.mm.yy hh:nn" (or a date alone) in the program-wide format.
std::optional<DateTime> ItemTime(const QString& timeText);

}  // namespace zelvon::news
