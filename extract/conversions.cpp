#include "extract/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zelvon::extract {

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Advances over digits; true when at least one was there.
bool SkipDigits(QStringView text, qsizetype& i)
{
    const qsizetype begin = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i > begin;
}

bool IsDotNumber(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    if (!SkipDigits(text, i))
        return false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (!SkipDigits(text, i))
            return false;
    }
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (!SkipDigits(text, i))
            return false;
    }
    return i == text.size();
}

QStringView WithoutLeadingBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    return text.sliced(i);
}

}  // namespace

std::optional<double> DotToFloat(QStringView text)
{
    const QStringView number = WithoutLeadingBlanks(text);
    if (!IsDotNumber(number))
        return std::nullopt;
    // from_chars ignores the locale that Qt installs, and takes no "+".
    const QByteArray ascii = number.toLatin1();
    const char* begin = ascii.constData() + (ascii.startsWith('+') ? 1 : 0);
    double value = 0;
    const auto result = std::from_chars(begin, ascii.constData() + ascii.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> CommaToFloat(QStringView text)
{
    return formats::StrToFloat(text);
}

std::optional<int32_t> DotToInteger(QStringView text)
{
    return formats::StrToInt(text);
}

std::optional<int32_t> ScaledVolume(double value, double factor)
{
    const double product = std::nearbyint(value * factor);
    if (!std::isfinite(product) || product < std::numeric_limits<int32_t>::min() ||
        product > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return int32_t(int64_t(product));
}

std::optional<DateTime> TextToDate(QStringView text, QChar separator)
{
    if (separator == formats::kDateSeparator)
        return formats::StrToDate(text);
    if (text.contains(formats::kDateSeparator))
        return std::nullopt;
    QString asProgramDate = text.toString();
    asProgramDate.replace(separator, formats::kDateSeparator);
    return formats::StrToDate(asProgramDate);
}

std::optional<DateTime> TextToTime(QStringView text)
{
    return formats::StrToTime(text);
}

QString TimeText(DateTime time)
{
    return formats::LongTimeToStr(time);
}

QString DateText(DateTime date)
{
    return formats::DateToStr(date);
}

QString PriceText(double value)
{
    return formats::FloatToStr(value);
}

}  // namespace zelvon::extract
