// Conversions between the texts cut from pages and the quote record's values.
// Each reports failure instead of throwing; the source extractions apply the
// defaults their rules name. Overflow and non-finite results count as failure.
#pragma once

#include "platform/formats.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace zelvon::extract {

// Leading blanks, optional sign, digits, optional "." digits, optional exponent;
// nothing may follow.
std::optional<double> DotToFloat(QStringView text);
// Program number format: decimal ",", no thousands separators, blanks around allowed.
std::optional<double> CommaToFloat(QStringView text);
// Leading blanks, optional sign, digits; must fit 32 bits.
std::optional<int32_t> DotToInteger(QStringView text);
// A 64-bit product rounded half to even; fails outside 32 bits.
std::optional<int32_t> ScaledVolume(double value, double factor);

// Day, month, year with the program's "." or another separator; two-digit
// years fall in the hundred years starting fifty years back.
std::optional<DateTime> TextToDate(QStringView text, QChar separator = formats::kDateSeparator);
// Hours ":" minutes, optionally ":" seconds.
std::optional<DateTime> TextToTime(QStringView text);

// "hh:mm:ss", "dd.mm.yyyy" and the shortest decimal with ",".
QString TimeText(DateTime time);
QString DateText(DateTime date);
QString PriceText(double value);

}  // namespace zelvon::extract
