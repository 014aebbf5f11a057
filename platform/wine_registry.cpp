#include "platform/wine_registry.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace zelvon {
namespace {

const QByteArray kWineHeader = "WINE REGISTRY Version 2";
const QString kUserRoot = QStringLiteral("HKEY_CURRENT_USER\\");
// Seconds between 1601-01-01 (Windows file times) and 1970-01-01.
constexpr qint64 kEpochDifference = 11644473600LL;

// Wine writes only ASCII; a hand-edited line may carry UTF-8, anything else is
// taken byte by byte.
QString DecodeLine(const QByteArray& line) {
    if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return QString::fromLatin1(line);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(line);
    return utf8.hasError() ? QString::fromLatin1(line) : text;
}

int HexDigit(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - '0';
    if (c >= u'a' && c <= u'f') return c.unicode() - 'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - 'A' + 10;
    return -1;
}

QChar CEscape(QChar c) {
    switch (c.unicode()) {
    case 'a': return QChar(7);
    case 'b': return QChar(8);
    case 'e': return QChar(27);
    case 'f': return QChar(12);
    case 'n': return QChar(10);
    case 'r': return QChar(13);
    case 't': return QChar(9);
    case 'v': return QChar(11);
    default: return QChar();
    }
}

// Reads an escaped text from pos up to the unescaped `end`; returns the position
// after it, or -1 when the text is not closed. Hex escapes take up to four digits,
// octal ones up to three, as Wine reads them.
qsizetype Unescape(const QString& line, qsizetype pos, QChar end, QString& out) {
    out.clear();
    while (pos < line.size() && line[pos] != end) {
        if (line[pos] != u'\\' || pos + 1 >= line.size()) {
            out += line[pos++];
            continue;
        }
        const QChar c = line[++pos];
        if (const QChar control = CEscape(c); !control.isNull()) {
            out += control;
            ++pos;
        } else if (c == u'x' && pos + 1 < line.size() && HexDigit(line[pos + 1]) >= 0) {
            char16_t code = 0;
            for (int n = 0; n < 4 && pos + 1 < line.size() && HexDigit(line[pos + 1]) >= 0; ++n) {
                code = char16_t(code * 16 + HexDigit(line[++pos]));
            }
            out += QChar(code);
            ++pos;
        } else if (c >= u'0' && c <= u'7') {
            char16_t code = 0;
            for (int n = 0; n < 3 && pos < line.size() && line[pos] >= u'0' && line[pos] <= u'7'; ++n) {
                code = char16_t(code * 8 + (line[pos++].unicode() - '0'));
            }
            out += QChar(code);
        } else {
            out += c;
            ++pos;
        }
    }
    return pos < line.size() ? pos + 1 : -1;
}

qsizetype SkipBlanks(const QString& text, qsizetype pos) {
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
    return pos;
}

QString StripCarriageReturn(QString line) {
    if (line.endsWith(u'\r')) line.chop(1);
    return line;
}

bool SameValue(const RegistryValue& a, const RegistryValue& b) {
    if (a.type != b.type) return false;
    switch (a.type) {
    case RegistryValue::Type::String: return a.text == b.text;
    case RegistryValue::Type::DWord: return a.number == b.number;
    case RegistryValue::Type::Other: return a.raw == b.raw;
    }
    return false;
}

const RegistryValue* FindValue(const std::vector<RegistryValue>& values, const QString& name, qsizetype* index = nullptr) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            if (index) *index = qsizetype(i);
            return &values[i];
        }
    }
    return nullptr;
}

QByteArray ValueLine(const RegistryValue& v) {
    QByteArray line = v.name.isEmpty() ? QByteArray("@=") : '"' + WineEscape(v.name, "\"") + "\"=";
    switch (v.type) {
    case RegistryValue::Type::String: return line + '"' + WineEscape(v.text, "\"") + '"';
    case RegistryValue::Type::DWord: return line + "dword:" + QByteArray::number(v.number, 16).rightJustified(8, '0');
    case RegistryValue::Type::Other: return line + v.raw.toLatin1();
    }
    return line;
}

}  // namespace

QByteArray WineEscape(const QString& text, const char* special) {
    static const char kEscapes[] = ".......abtnvfr.............e....";
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool hexFollows = i + 1 < text.size() && text[i + 1].unicode() < 128 && HexDigit(text[i + 1]) >= 0;
        const bool octalFollows = i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'7';
        if (c > 127) {
            out += "\\x" + (hexFollows ? QByteArray::number(c, 16).rightJustified(4, '0') : QByteArray::number(c, 16));
        } else if (c < 32) {
            out += '\\';
            if (kEscapes[c] != '.') out += kEscapes[c];
            else out += octalFollows ? QByteArray::number(c, 8).rightJustified(3, '0') : QByteArray::number(c, 8);
        } else {
            if (c == '\\' || std::strchr(special, char(c))) out += '\\';
            out += char(c);
        }
    }
    return out;
}

bool WineRegistryText::HasWineHeader(const QByteArray& bytes) {
    return bytes.startsWith(kWineHeader) &&
           (bytes.size() == kWineHeader.size() || bytes[kWineHeader.size()] == '\n' || bytes[kWineHeader.size()] == '\r');
}

WineRegistryText WineRegistryText::Parse(const QByteArray& bytes, const QString& path) {
    if (!HasWineHeader(bytes)) {
        throw RegistryError(QStringLiteral("Wine-Registry %1, Zeile 1: Kopfzeile \"%2\" erwartet")
                                .arg(path, QString::fromLatin1(kWineHeader)));
    }
    WineRegistryText file;
    for (const QByteArray& line : bytes.split('\n')) file.lines_.push_back(line);
    file.ParseLines();
    return file;
}

void WineRegistryText::ParseLines() {
    Section* section = nullptr;
    RegistryKey* key = nullptr;
    for (qsizetype i = 1; i < qsizetype(lines_.size()); ++i) {
        const QString line = StripCarriageReturn(DecodeLine(lines_[i]));
        const qsizetype start = SkipBlanks(line, 0);
        if (start >= line.size()) continue;
        const QChar first = line[start];
        if (first == u'[') {
            QString name;
            if (Unescape(line, start + 1, u']', name) < 0) {
                // Wine cannot read such a key either; its values are kept but not ours.
                section = nullptr;
                key = nullptr;
                continue;
            }
            index_.insert((kUserRoot + name).toLower(), qsizetype(keys_.size()));
            keys_.emplace_back(kUserRoot + name);
            sections_.push_back(Section{i, {}});
            key = &keys_.back();
            section = &sections_.back();
        } else if (section && first == u'#') {
            section->lastOwnLine = i;
        } else if (section && (first == u'"' || first == u'@')) {
            ReadValueLine(i, *section, *key);
        }
    }
}

void WineRegistryText::ReadValueLine(qsizetype& i, Section& section, RegistryKey& key) {
    const qsizetype firstLine = i;
    QString line = StripCarriageReturn(DecodeLine(lines_[i]));
    RegistryValue value;
    qsizetype pos = SkipBlanks(line, 0);
    if (line[pos] == u'@') {
        ++pos;
    } else if ((pos = Unescape(line, pos + 1, u'"', value.name)) < 0) {
        return;
    }
    pos = SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != u'=') return;
    pos = SkipBlanks(line, pos + 1);
    QString data = line.mid(pos);
    if (data.startsWith(u'"')) {
        value.type = RegistryValue::Type::String;
        if (Unescape(data, 1, u'"', value.text) < 0) return;
    } else if (data.startsWith(QStringLiteral("dword:"))) {
        bool ok = false;
        const QString digits = data.mid(6).trimmed();
        value.type = RegistryValue::Type::DWord;
        value.number = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8) return;
    } else {
        // Binary and typed values continue on the next line after a backslash.
        while (data.startsWith(QStringLiteral("hex")) && data.trimmed().endsWith(u'\\') &&
               i + 1 < qsizetype(lines_.size())) {
            data = data.trimmed();
            data.chop(1);
            data += StripCarriageReturn(DecodeLine(lines_[++i])).trimmed();
        }
        value.type = RegistryValue::Type::Other;
        value.raw = data;
    }
    qsizetype existing = -1;
    const ValueLines lines{firstLine, i - firstLine + 1};
    if (FindValue(key.values(), value.name, &existing)) {
        section.values[existing] = lines;
    } else {
        section.values.push_back(lines);
    }
    key.AddParsedValue(std::move(value));
    section.lastOwnLine = i;
}

const RegistryValue* WineRegistryText::Original(const QString& keyPath, const QString& name, qsizetype* section,
                                               qsizetype* at) const {
    const auto found = index_.constFind(keyPath.toLower());
    if (found == index_.constEnd()) return nullptr;
    if (section) *section = *found;
    return FindValue(keys_[*found].values(), name, at);
}

std::vector<RegistryChange> WineRegistryText::ChangesIn(const std::vector<std::unique_ptr<RegistryKey>>& current) const {
    std::vector<RegistryChange> changes;
    for (const auto& key : current) {
        for (const RegistryValue& v : key->values()) {
            const RegistryValue* before = Original(key->path(), v.name, nullptr, nullptr);
            if (!before || !SameValue(*before, v)) changes.push_back({key->path(), v});
        }
    }
    return changes;
}

QByteArray WineRegistryText::Render(const std::vector<RegistryChange>& changes, qint64 unixTime) const {
    std::vector<QByteArray> replaced(lines_.size());
    std::vector<bool> changed(lines_.size(), false);
    std::vector<bool> dropped(lines_.size(), false);
    std::vector<QByteArray> appended(lines_.size());
    QStringList newKeyOrder;
    QHash<QString, QByteArray> newKeyValues;
    for (const RegistryChange& change : changes) {
        qsizetype section = -1;
        qsizetype at = -1;
        if (Original(change.keyPath, change.value.name, &section, &at)) {
            const ValueLines& lines = sections_[section].values[at];
            replaced[lines.first] = ValueLine(change.value);
            changed[lines.first] = true;
            for (qsizetype n = 1; n < lines.count; ++n) dropped[lines.first + n] = true;
        } else if (section >= 0) {
            appended[sections_[section].lastOwnLine] += ValueLine(change.value) + '\n';
        } else {
            if (!newKeyValues.contains(change.keyPath)) newKeyOrder << change.keyPath;
            newKeyValues[change.keyPath] += ValueLine(change.value) + '\n';
        }
    }
    QByteArray out;
    const qsizetype last = qsizetype(lines_.size()) - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        if (dropped[i]) continue;
        out += changed[i] ? replaced[i] : lines_[i];
        if (i < last) out += '\n';
        if (!appended[i].isEmpty()) {
            if (i == last) out += '\n';
            out += appended[i];
            if (i == last) out.chop(1);
        }
    }
    if (!newKeyOrder.isEmpty() && !out.endsWith('\n')) out += '\n';
    const quint64 fileTime = quint64(unixTime + kEpochDifference) * 10'000'000ULL;
    for (const QString& keyPath : newKeyOrder) {
        const QString name =
            keyPath.startsWith(kUserRoot, Qt::CaseInsensitive) ? keyPath.mid(kUserRoot.size()) : keyPath;
        out += "\n[" + WineEscape(name, "[]") + "] " + QByteArray::number(unixTime) + "\n#time=" +
               QByteArray::number(fileTime, 16) + "\n" + newKeyValues[keyPath];
    }
    return out;
}

}  // namespace zelvon
