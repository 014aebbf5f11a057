// The quote record and the inputs every source extraction shares. The record
// is owned by the main window and deliberately keeps its values from one
// extraction to the next: an extraction that does not assign a member leaves
// the previous value in place, and some sources rely on that.
#pragma once

#include "platform/formats.h"
#include "sources/source_catalogue.h"

#include <QString>
#include <cstdint>

namespace zelvon::extract {

struct QuoteRecord {
    double Kurs = 0;
    double Bid = 0;
    double Ask = 0;
    int32_t Anzahl = 0;
    int32_t Volumen = 0;
    int32_t AVol = 0;
    int32_t BVol = 0;
    DateTime ZeitTemp = 0;
    DateTime Datum = 0;
    // Price as cut from the page, normalised step by step.
    QString Kurswert;
    // The quote's time of day as text.
    QString Zeit;
};

// The fields of the current security (Firma.db) that extraction reads.
struct Security {
    int32_t Firma = 0;
    QString ZDF;
    QString Firmenname;
    QString Kennung;
    QString ISIN;
    QString Waehrung;
};

// Outcome of one extraction, local to the call.
enum StatusCode : int {
    kQuoteRead = 0,
    kMarkerMissing = 1,
    kPriceNotPositive = 5,
    kPriceNotANumber = 10,
};

// Pictures of the status icon's image list.
enum Picture : int {
    kPictureEnvelope = 0,
    kPictureFailure = 1,
    kPictureQuoteRead = 2,
    kPictureHourglass = 3,
};

}  // namespace zelvon::extract
