// A Wine prefix's user.reg ("WINE REGISTRY Version 2"), the file Wine keeps
// HKEY_CURRENT_USER in. Read with Wine's own syntax and written back by changing
// only the lines of values that really changed: every other line, key and
// comment stays byte for byte, so Wine and the suite find their file intact.
#pragma once

#include "platform/registry.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace zelvon {

// One value set since the file was read, under its key ("HKEY_CURRENT_USER\...").
struct RegistryChange {
    QString keyPath;
    RegistryValue value;
};

class WineRegistryText {
public:
    static bool HasWineHeader(const QByteArray& bytes);

    // Keys come out under "HKEY_CURRENT_USER\..."; a line Wine would skip is kept
    // and skipped here too. A file without the header raises RegistryError.
    static WineRegistryText Parse(const QByteArray& bytes, const QString& path);

    const std::vector<RegistryKey>& keys() const { return keys_; }

    // The values of `current` that differ from what was read, or are new.
    std::vector<RegistryChange> ChangesIn(const std::vector<std::unique_ptr<RegistryKey>>& current) const;

    // The file as read with the changes applied in Wine's form: a changed value's
    // lines replaced, a new value after the last line of its key, a new key at the
    // end of the file, stamped with unixTime. Every other byte stays.
    QByteArray Render(const std::vector<RegistryChange>& changes, qint64 unixTime) const;

private:
    struct ValueLines {
        qsizetype first = 0;
        qsizetype count = 1;
    };
    struct Section {
        qsizetype lastOwnLine = 0;  // header, "#" option or value line: new values follow it
        std::vector<ValueLines> values;  // parallel to the key's values
    };

    void ParseLines();
    void ReadValueLine(qsizetype& i, Section& section, RegistryKey& key);
    const RegistryValue* Original(const QString& keyPath, const QString& name, qsizetype* section, qsizetype* at) const;

    std::vector<QByteArray> lines_;  // without their "\n"
    std::vector<RegistryKey> keys_;
    std::vector<Section> sections_;  // parallel to keys_
    QHash<QString, qsizetype> index_;  // lower-case key path -> position in keys_
};

// Wine's quoting of a text: "\\" and the characters in `special` get a
// backslash, control characters C or octal escapes, everything beyond ASCII "\x…".
QByteArray WineEscape(const QString& text, const char* special);

}  // namespace zelvon
