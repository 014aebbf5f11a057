#include "updates/firma_matcher.h"

#include <algorithm>

namespace zelvon::updates {

FirmaMatcher::FirmaMatcher(std::vector<SuiteRow> rows) : rows_(std::move(rows)) {
    byFirma_.reserve(qsizetype(rows_.size()));
    for (int i = 0; i < size(); ++i) {
        const SuiteRow& r = rows_[size_t(i)];
        byFirma_.insert(r.firma, i);
        Add(byName_, r.keys.name, i);
        // Empty identifiers never match, and leaving them out keeps the
        // position lists short when many rows lack one.
        if (!r.keys.kennung.isEmpty()) Add(byKennung_, r.keys.kennung, i);
        if (!r.keys.zdf.isEmpty()) Add(byZdf_, r.keys.zdf, i);
    }
}

bool FirmaMatcher::Matches(int position, const MatchKeys& update) const {
    if (position < 0 || position >= size()) return false;
    const MatchKeys& r = rows_[size_t(position)].keys;
    return r.name == update.name || (!update.kennung.isEmpty() && r.kennung == update.kennung) ||
           (!update.zdf.isEmpty() && r.zdf == update.zdf);
}

int FirmaMatcher::Match(const MatchKeys& update, int nearest) const {
    if (Matches(nearest, update)) return nearest;
    int first = FirstIn(byName_, update.name);
    auto consider = [&first](int candidate) {
        if (candidate >= 0 && (first < 0 || candidate < first)) first = candidate;
    };
    if (!update.kennung.isEmpty()) consider(FirstIn(byKennung_, update.kennung));
    if (!update.zdf.isEmpty()) consider(FirstIn(byZdf_, update.zdf));
    return first;
}

void FirmaMatcher::SetIdentifiers(int position, const QString& kennung, const QString& zdf) {
    MatchKeys& r = rows_[size_t(position)].keys;
    if (r.kennung != kennung) {
        if (!r.kennung.isEmpty()) Remove(byKennung_, r.kennung, position);
        r.kennung = kennung;
        if (!kennung.isEmpty()) Add(byKennung_, kennung, position);
    }
    if (r.zdf != zdf) {
        if (!r.zdf.isEmpty()) Remove(byZdf_, r.zdf, position);
        r.zdf = zdf;
        if (!zdf.isEmpty()) Add(byZdf_, zdf, position);
    }
}

int FirmaMatcher::PositionOf(int32_t firma) const { return byFirma_.value(firma, -1); }

int FirmaMatcher::FirstIn(const QHash<QString, Positions>& index, const QString& key) {
    const auto it = index.constFind(key);
    return it == index.cend() || it->empty() ? -1 : it->front();
}

void FirmaMatcher::Add(QHash<QString, Positions>& index, const QString& key, int position) {
    Positions& positions = index[key];
    positions.insert(std::lower_bound(positions.begin(), positions.end(), position), position);
}

void FirmaMatcher::Remove(QHash<QString, Positions>& index, const QString& key, int position) {
    const auto it = index.find(key);
    if (it == index.end()) return;
    const auto at = std::lower_bound(it->begin(), it->end(), position);
    if (at != it->end() && *at == position) it->erase(at);
}

}  // namespace zelvon::updates
