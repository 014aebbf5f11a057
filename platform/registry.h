// The per-user settings store: a file in the Windows registry export format
// ("Windows Registry Editor Version 5.00"), so the suite's own settings can be
// exchanged with a Windows machine. String and 32-bit values keep their types;
// every other value and key is kept verbatim. A Wine prefix's user.reg is read
// and written in Wine's own format (platform/wine_registry.h).
#pragma once

#include "platform/error.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zelvon {

class RegistryError : public Error {
public:
    using Error::Error;
};

// A Wine server holds the prefix whose user.reg would be written.
class WinePrefixBusy : public RegistryError {
public:
    using RegistryError::RegistryError;
};

class WineRegistryText;

struct RegistryValue {
    enum class Type { String, DWord, Other };
    QString name;  // empty for the key's default value ("@")
    Type type = Type::String;
    QString text;      // String
    uint32_t number = 0;  // DWord
    QString raw;       // Other: everything after "=", as read
};

class RegistryKey {
public:
    explicit RegistryKey(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    bool ValueExists(const QString& name) const;

    // A value of another type raises RegistryError naming the value; a missing
    // value gives nullopt.
    std::optional<QString> ReadString(const QString& name) const;
    std::optional<int32_t> ReadInteger(const QString& name) const;
    std::optional<bool> ReadBool(const QString& name) const;

    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int32_t value);
    void WriteBool(const QString& name, bool value);

    const std::vector<RegistryValue>& values() const { return values_; }
    void AddParsedValue(RegistryValue value);

private:
    const RegistryValue* Find(const QString& name) const;
    RegistryValue& FindOrAdd(const QString& name);

    QString path_;
    std::vector<RegistryValue> values_;
};

class RegistryFile {
public:
    // Default location: $ZELVON_REGISTRY, else $XDG_CONFIG_HOME/Selvaran/Quarvinta.reg
    // (~/.config when unset); while that file does not exist, $WINEPREFIX/user.reg
    // when there is one.
    static QString DefaultPath();

    // A missing file is an empty registry; an unreadable or malformed one raises
    // RegistryError with the path and line.
    static RegistryFile Load(const QString& path);

    // Replaces the file atomically and keeps it private to the user. A Wine
    // user.reg keeps its permissions and is refused with WinePrefixBusy while a
    // Wine server holds its prefix.
    void Save() const;

    const QString& path() const { return path_; }
    // The directory of a Wine user.reg; empty for our own file.
    QString winePrefix() const;

    // Key paths as "HKEY_CURRENT_USER\SOFTWARE\..."; letter case is ignored.
    RegistryKey* OpenKey(const QString& keyPath, bool create);

private:
    explicit RegistryFile(QString path) : path_(std::move(path)) {}
    void ParseText(const QString& text);
    void SaveWine() const;
    static void Write(const QString& path, const QByteArray& bytes, bool makePrivate);

    QString path_;
    bool utf16_ = false;
    std::shared_ptr<const WineRegistryText> wine_;
    std::vector<std::unique_ptr<RegistryKey>> keys_;
};

}  // namespace zelvon
