#include "extract/dde_feed.h"

#include "extract/conversions.h"
#include "extract/page_cutter.h"

namespace zelvon::extract::feed {

namespace {

template <typename T>
T& Component(T* component)
{
    if (!component)
        throw Error(QStringLiteral("Kein DDE-Gesprächspartner für die lokalen Kursprogramme"));
    return *component;
}

}  // namespace

QString ValueText(const QString& answer)
{
    return Before(answer, u' ');
}

QString PriceValueText(const QString& answer)
{
    QString text = ValueText(answer);
    ReplaceFirst(text, u',', u'.');
    return text;
}

double PriceValue(const QString& priceText)
{
    return DotToFloat(priceText).value_or(0);
}

int32_t SizeValue(const QString& answer)
{
    return DotToInteger(ValueText(answer)).value_or(0);
}

void GuardedRead(Extraction& run, const std::function<void()>& read)
{
    try {
        read();
    } catch (const std::exception& e) {
        if (run.input.feed.lade)
            *run.input.feed.lade = true;
        run.outcome.feedFailure = QString::fromStdString(e.what());
    }
}

FeedConversation::FeedConversation(Extraction& run, QString service)
    : run_(run), service_(std::move(service)), conv_(Component(run.input.feed.conv)),
      item_(Component(run.input.feed.item))
{
}

bool FeedConversation::link(const QString& topic)
{
    conv_.SetLink(service_, topic);
    return conv_.OpenLink();
}

QString FeedConversation::request(const QString& itemName)
{
    item_.Clear();
    item_.SetDdeItem(itemName);
    item_.SetText(conv_.RequestData(item_.DdeItem()));
    return item_.GetText();
}

void FeedConversation::setLade(bool lade)
{
    if (run_.input.feed.lade)
        *run_.input.feed.lade = lade;
}

void FeedConversation::readToday()
{
    QuoteRecord& q = run_.quote;
    q.Datum = run_.today();
    q.Zeit = TimeText(run_.timeOfDay());
    if (run_.input.feed.leseDatum)
        *run_.input.feed.leseDatum = run_.today();
}

}  // namespace zelvon::extract::feed
