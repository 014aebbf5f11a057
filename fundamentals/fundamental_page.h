// Reading a security's identifiers and per-share figures from its Onvista
// page: symbol, WKN, ISIN, share count, earnings, dividend and the
// price/cash-flow ratio, turned into the cash flow per share.
#pragma once

#include <QString>

namespace zelvon {

class TextView;

struct FundamentalValues {
    QString symbol;  // at most 20 characters
    QString wkn;     // at most 6
    QString isin;    // at most 20
    // False when the page has no "Anzahl Aktien": then nothing else counts.
    bool hasShareCount = false;
    double shareCount = 0;
    double earnings = 0;
    double dividend = 0;
    double cashFlow = 0;

    // Whether the figures are worth writing into the security's row.
    bool AnyFigure() const { return shareCount > 0 || earnings != 0 || dividend != 0 || cashFlow != 0; }
};

// page: the fetched page; price: the price its extraction read.
FundamentalValues ReadFundamentals(const TextView& page, double price);

// Cash flow per share from the price and the price/cash-flow ratio, two
// decimals rounded half to even; 0 when the ratio is 0 or the result is no number.
double CashFlowPerShare(double price, double ratio);

}  // namespace zelvon
