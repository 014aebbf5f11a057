#include "fundamentals/fundamental_page.h"

#include "platform/formats.h"
#include "platform/text_view.h"

#include <cmath>

namespace zelvon {
namespace {

// The page's search positions are used unchanged as 1-based indices into its
// full text, where each line break is two characters: below the first line a
// cut starts earlier than the found text. The page layout relies on that.
class PageText {
public:
    explicit PageText(const TextView& page) : page_(page), full_(page.text()) {}

    int Find(QStringView what, int start) const { return page_.find(what, start); }
    int Find(QStringView what, int start, int length) const { return page_.find(what, start, length); }
    // count characters from the 1-based index; an index below 1 counts as 1.
    QString Cut(int index, int count) const { return full_.mid(std::max(index, 1) - 1, count); }

private:
    const TextView& page_;
    QString full_;
};

QString CutBefore(const QString& text, QStringView what) {
    const qsizetype at = text.indexOf(what);
    return at < 0 ? text : text.left(at);
}

// The (at most count) characters after the first ">", or text when it has none.
QString AfterTagEnd(const QString& text, int count) {
    const qsizetype at = text.indexOf(u'>');
    return at < 0 ? text : text.mid(at + 1, count);
}

double NumberOrZero(const QString& text) { return formats::StrToFloat(text).value_or(0); }

// The text after a label's "<dd>", up to the next tag.
QString Definition(const PageText& page, QStringView label, int count) {
    const int term = page.Find(label, 1);
    if (term < 1) return {};
    const int definition = page.Find(u"<dd>", term);
    if (definition < 0) return {};
    return page.Cut(definition + 6, count);
}

QString ReadIsin(const PageText& page) {
    const int term = page.Find(u"<dt>ISIN</dt>", 1);
    if (term < 1) return {};
    const int definition = page.Find(u"<dd", term);
    if (definition < 0) return {};
    const int tagEnd = page.Find(u">", definition + 4);
    if (tagEnd < 0) return {};
    return CutBefore(AfterTagEnd(page.Cut(tagEnd + 1, 20), 20), u"<");
}

double ReadShareCount(const PageText& page, int label) {
    const int tagEnd = page.Find(u">", label + 20);
    if (tagEnd < 0) return 0;
    QString text = page.Cut(tagEnd + 1, 50);
    text = text.left(text.indexOf(u'<') + 1);
    for (int i = 0; i < 4; ++i) {
        const qsizetype dot = text.indexOf(u'.');
        if (dot >= 0) text.remove(dot, 1);
    }
    text = CutBefore(CutBefore(AfterTagEnd(text, 30), u"<"), u" ");
    return NumberOrZero(text);
}

// The figure in the table cell after the label's cell; 0 without the label.
double ReadFigure(const PageText& page, QStringView label) {
    const int at = page.Find(label, 1);
    if (at < 0) return 0;
    const int cellEnd = page.Find(u"</td>", at, at + 50);
    if (cellEnd < 1) return 0;
    const int tagEnd = page.Find(u">", cellEnd + 8, cellEnd + 50);
    if (tagEnd < 0) return 0;
    return NumberOrZero(AfterTagEnd(CutBefore(page.Cut(tagEnd + 3, 20), u"<"), 20));
}

}  // namespace

double CashFlowPerShare(double price, double ratio) {
    if (ratio == 0) return 0;
    const double cents = price / ratio * 100;
    // Beyond 2^53 there are no cents left to round.
    if (!std::isfinite(cents) || std::fabs(cents) > 9.0e15) return 0;
    return std::nearbyint(cents) / 100;
}

FundamentalValues ReadFundamentals(const TextView& view, double price) {
    const PageText page(view);
    FundamentalValues values;
    values.symbol = CutBefore(Definition(page, u"<dt>Symbol</dt>", 20), u"<");
    values.wkn = Definition(page, u"<dt>WKN</dt>", 6);
    values.isin = ReadIsin(page);
    const int shares = page.Find(u"Anzahl Aktien", 1);
    if (shares < 1) return values;
    values.hasShareCount = true;
    values.shareCount = ReadShareCount(page, shares);
    values.earnings = ReadFigure(page, u"Ergebnis je Aktie ");
    values.dividend = ReadFigure(page, u"Dividende je Aktie ");
    values.cashFlow = CashFlowPerShare(price, ReadFigure(page, u"<th>KCV</th>"));
    return values;
}

}  // namespace zelvon
