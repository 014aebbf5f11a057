#include "platform/registry.h"

#include "platform/wine_registry.h"
#include "platform/wine_server.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <ctime>

namespace zelvon {
namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeader4 = QStringLiteral("REGEDIT4");

QString TypeName(RegistryValue::Type type) {
    switch (type) {
    case RegistryValue::Type::String: return QStringLiteral("Zeichenfolge");
    case RegistryValue::Type::DWord: return QStringLiteral("DWORD");
    case RegistryValue::Type::Other: return QStringLiteral("anderer Typ");
    }
    return {};
}

QString Quote(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    return out + u'"';
}

// Reads a quoted text starting at pos (which holds the opening quote); returns
// the position after the closing quote, or -1 when it is not closed.
qsizetype Unquote(const QString& line, qsizetype pos, QString& out) {
    out.clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size()) {
            out += line[++i];
        } else if (c == u'"') {
            return i + 1;
        } else {
            out += c;
        }
    }
    return -1;
}

QString DecodeFile(const QByteArray& bytes, bool& utf16) {
    utf16 = bytes.startsWith("\xFF\xFE");
    if (utf16) return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    return QString::fromUtf8(body);
}

}  // namespace

const RegistryValue* RegistryKey::Find(const QString& name) const {
    for (const RegistryValue& v : values_) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) return &v;
    }
    return nullptr;
}

RegistryValue& RegistryKey::FindOrAdd(const QString& name) {
    for (RegistryValue& v : values_) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) return v;
    }
    values_.push_back(RegistryValue{name});
    return values_.back();
}

bool RegistryKey::ValueExists(const QString& name) const { return Find(name) != nullptr; }

void RegistryKey::AddParsedValue(RegistryValue value) { FindOrAdd(value.name) = std::move(value); }

std::optional<QString> RegistryKey::ReadString(const QString& name) const {
    const RegistryValue* v = Find(name);
    if (!v) return std::nullopt;
    if (v->type != RegistryValue::Type::String) {
        throw RegistryError(QStringLiteral("Ungültiger Datentyp für '%1' (%2 statt Zeichenfolge) in %3")
                                .arg(name, TypeName(v->type), path_));
    }
    return v->text;
}

std::optional<int32_t> RegistryKey::ReadInteger(const QString& name) const {
    const RegistryValue* v = Find(name);
    if (!v) return std::nullopt;
    if (v->type != RegistryValue::Type::DWord) {
        throw RegistryError(QStringLiteral("Ungültiger Datentyp für '%1' (%2 statt DWORD) in %3")
                                .arg(name, TypeName(v->type), path_));
    }
    return static_cast<int32_t>(v->number);
}

std::optional<bool> RegistryKey::ReadBool(const QString& name) const {
    const auto value = ReadInteger(name);
    if (!value) return std::nullopt;
    return *value != 0;
}

void RegistryKey::WriteString(const QString& name, const QString& value) {
    RegistryValue& v = FindOrAdd(name);
    v = RegistryValue{v.name, RegistryValue::Type::String, value};
}

void RegistryKey::WriteInteger(const QString& name, int32_t value) {
    RegistryValue& v = FindOrAdd(name);
    v = RegistryValue{v.name, RegistryValue::Type::DWord, {}, static_cast<uint32_t>(value)};
}

void RegistryKey::WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

QString RegistryFile::DefaultPath() {
    const QString override = qEnvironmentVariable("ZELVON_REGISTRY");
    if (!override.isEmpty()) return override;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    const QString own = config + QStringLiteral("/Selvaran/Quarvinta.reg");
    const QString winePrefix = qEnvironmentVariable("WINEPREFIX");
    if (!QFileInfo::exists(own) && !winePrefix.isEmpty() && QFileInfo(winePrefix + QStringLiteral("/user.reg")).isFile()) {
        return winePrefix + QStringLiteral("/user.reg");
    }
    return own;
}

RegistryFile RegistryFile::Load(const QString& path) {
    RegistryFile file(path);
    QFile in(path);
    if (!in.exists()) return file;
    if (!in.open(QIODevice::ReadOnly)) {
        throw RegistryError(QStringLiteral("Einstellungsdatei %1 kann nicht gelesen werden: %2").arg(path, in.errorString()));
    }
    const QByteArray bytes = in.readAll();
    if (WineRegistryText::HasWineHeader(bytes)) {
        auto wine = std::make_shared<const WineRegistryText>(WineRegistryText::Parse(bytes, path));
        for (const RegistryKey& key : wine->keys()) file.keys_.push_back(std::make_unique<RegistryKey>(key));
        file.wine_ = std::move(wine);
        return file;
    }
    file.ParseText(DecodeFile(bytes, file.utf16_));
    return file;
}

QString RegistryFile::winePrefix() const { return wine_ ? QFileInfo(path_).absolutePath() : QString(); }

void RegistryFile::ParseText(const QString& text) {
    const QStringList lines = text.split(u'\n');
    auto fail = [this](qsizetype lineNo, const QString& what) {
        throw RegistryError(QStringLiteral("Einstellungsdatei %1, Zeile %2: %3").arg(path_).arg(lineNo + 1).arg(what));
    };
    bool headerSeen = false;
    RegistryKey* key = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype startLine = i;
        QString line = lines[i].trimmed();
        // Long binary values continue on the next line after a trailing backslash.
        while (line.endsWith(u'\\') && !line.startsWith(u'[') && i + 1 < lines.size()) {
            line.chop(1);
            line += lines[++i].trimmed();
        }
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (!headerSeen) {
            if (line != kHeader && line != kHeader4) fail(startLine, QStringLiteral("Kopfzeile \"%1\" erwartet").arg(kHeader));
            headerSeen = true;
            continue;
        }
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']')) fail(startLine, QStringLiteral("Schlüssel ohne \"]\""));
            key = OpenKey(line.mid(1, line.size() - 2), true);
            continue;
        }
        if (!key) fail(startLine, QStringLiteral("Wert vor dem ersten Schlüssel"));
        RegistryValue value;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (line.startsWith(u'"')) {
            pos = Unquote(line, 0, value.name);
            if (pos < 0) fail(startLine, QStringLiteral("Wertname ohne schließendes Anführungszeichen"));
        } else {
            fail(startLine, QStringLiteral("unverständliche Zeile"));
        }
        if (pos >= line.size() || line[pos] != u'=') fail(startLine, QStringLiteral("\"=\" erwartet"));
        const QString data = line.mid(pos + 1);
        if (data.startsWith(u'"')) {
            value.type = RegistryValue::Type::String;
            if (Unquote(data, 0, value.text) != data.size()) fail(startLine, QStringLiteral("fehlerhafte Zeichenfolge"));
        } else if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const QString digits = data.mid(6);
            value.type = RegistryValue::Type::DWord;
            value.number = digits.toUInt(&ok, 16);
            if (!ok || digits.size() != 8) fail(startLine, QStringLiteral("fehlerhafter DWORD-Wert"));
        } else {
            value.type = RegistryValue::Type::Other;
            value.raw = data;
        }
        key->AddParsedValue(std::move(value));
    }
}

RegistryKey* RegistryFile::OpenKey(const QString& keyPath, bool create) {
    for (auto& key : keys_) {
        if (key->path().compare(keyPath, Qt::CaseInsensitive) == 0) return key.get();
    }
    if (!create) return nullptr;
    keys_.push_back(std::make_unique<RegistryKey>(keyPath));
    return keys_.back().get();
}

// Our changes go onto the file as it is now: Wine may have rewritten it since it
// was read, and those lines must not be lost either.
void RegistryFile::SaveWine() const {
    const std::vector<RegistryChange> changes = wine_->ChangesIn(keys_);
    if (changes.empty()) return;
    QFile in(path_);
    if (!in.open(QIODevice::ReadOnly)) {
        throw RegistryError(QStringLiteral("Wine-Registry %1 kann nicht gelesen werden: %2").arg(path_, in.errorString()));
    }
    const QByteArray now = in.readAll();
    const QByteArray bytes = WineRegistryText::Parse(now, path_).Render(changes, std::time(nullptr));
    if (bytes == now) return;
    const QString prefix = winePrefix();
    if (WineServerRunning(prefix)) {
        throw WinePrefixBusy(
            QStringLiteral("Einstellungen nicht gespeichert: Für das Wine-Verzeichnis %1 läuft ein Wine-Server. Er hält "
                           "dessen Registry im Speicher und würde die Änderung beim Beenden überschreiben. Beenden Sie "
                           "zuerst die Programme in diesem Wine-Verzeichnis (oder den Server mit \"WINEPREFIX=%1 "
                           "wineserver -k\") und schließen Sie Zelvon erst danach.")
                .arg(prefix));
    }
    Write(path_, bytes, false);
}

void RegistryFile::Save() const {
    if (wine_) {
        SaveWine();
        return;
    }
    QString text = kHeader + QStringLiteral("\r\n\r\n");
    for (const auto& key : keys_) {
        text += u'[' + key->path() + QStringLiteral("]\r\n");
        for (const RegistryValue& v : key->values()) {
            text += v.name.isEmpty() ? QStringLiteral("@") : Quote(v.name);
            text += u'=';
            switch (v.type) {
            case RegistryValue::Type::String: text += Quote(v.text); break;
            case RegistryValue::Type::DWord:
                text += QStringLiteral("dword:") + QString::number(v.number, 16).rightJustified(8, u'0');
                break;
            case RegistryValue::Type::Other: text += v.raw; break;
            }
            text += QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = utf16_ ? QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE).encode(text)
                                    : text.toUtf8();
    Write(path_, bytes, true);
}

void RegistryFile::Write(const QString& path, const QByteArray& bytes, bool makePrivate) {
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        throw RegistryError(QStringLiteral("Verzeichnis %1 für die Einstellungen kann nicht angelegt werden").arg(dir));
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        (makePrivate && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) ||
        out.write(bytes) != bytes.size() || !out.commit()) {
        throw RegistryError(QStringLiteral("Einstellungsdatei %1 kann nicht geschrieben werden: %2").arg(path, out.errorString()));
    }
}

}  // namespace zelvon
