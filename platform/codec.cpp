#include "platform/codec.h"

#include "platform/error.h"

#include <cerrno>
#include <iconv.h>

namespace zelvon::codec {

namespace {

constexpr const char* kUtf16 = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE";

bool IsUndefinedIn1252(unsigned char byte)
{
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

QString IconvName(int codePage)
{
    return QStringLiteral("CP%1").arg(codePage);
}

// One iconv conversion descriptor for the length of one call.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw Error(QStringLiteral("Zeichensatz-Umwandlung von %1 nach %2 wird nicht unterstützt")
                            .arg(QString::fromLatin1(from), QString::fromLatin1(to)));
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; stops at an invalid sequence and leaves
    // input pointing at it.
    void Run(const char*& input, size_t& inputLeft, QByteArray& output)
    {
        char buffer[4096];
        while (inputLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            auto* in = const_cast<char*>(input);
            const size_t rc = iconv(handle_, &in, &inputLeft, &out, &outLeft);
            input = in;
            output.append(buffer, qsizetype(sizeof buffer - outLeft));
            if (rc == size_t(-1) && errno != E2BIG)
                return;
        }
    }

private:
    iconv_t handle_;
};

QString FromUtf16Bytes(const QByteArray& utf16)
{
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QString DecodeSingleByte(const char* iconvName, QByteArrayView bytes, bool keepUndefinedAsLatin1)
{
    Converter converter(kUtf16, iconvName);
    QByteArray utf16;
    utf16.reserve(bytes.size() * 2);
    const char* input = bytes.data();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        converter.Run(input, left, utf16);
        if (left == 0)
            break;
        const auto byte = static_cast<unsigned char>(*input);
        const char16_t replacement = keepUndefinedAsLatin1 && IsUndefinedIn1252(byte) ? char16_t(byte) : u'\uFFFD';
        utf16.append(reinterpret_cast<const char*>(&replacement), 2);
        ++input;
        --left;
    }
    return FromUtf16Bytes(utf16);
}

QByteArray EncodeSingleByte(const char* iconvName, QStringView text, bool keepUndefinedAsLatin1)
{
    Converter converter(iconvName, kUtf16);
    QByteArray result;
    result.reserve(text.size());
    const char* input = reinterpret_cast<const char*>(text.utf16());
    size_t left = size_t(text.size()) * 2;
    while (left > 0) {
        converter.Run(input, left, result);
        if (left == 0)
            break;
        const char16_t unit = *reinterpret_cast<const char16_t*>(input);
        const bool undefined = keepUndefinedAsLatin1 && unit <= 0xFF && IsUndefinedIn1252(static_cast<unsigned char>(unit));
        result.append(undefined ? char(unit) : '?');
        const bool pair = QChar::isHighSurrogate(unit) && left >= 4
                          && QChar::isLowSurrogate(*reinterpret_cast<const char16_t*>(input + 2));
        const size_t skip = pair ? 4 : 2;
        input += skip;
        left -= skip;
    }
    return result;
}

}  // namespace

QString DecodeWindows1252(QByteArrayView bytes)
{
    return DecodeSingleByte("CP1252", bytes, true);
}

QByteArray EncodeWindows1252(QStringView text)
{
    return EncodeSingleByte("CP1252", text, true);
}

QString DecodeCodePage(int codePage, QByteArrayView bytes)
{
    if (codePage == 1252)
        return DecodeWindows1252(bytes);
    return DecodeSingleByte(IconvName(codePage).toLatin1().constData(), bytes, false);
}

QByteArray EncodeCodePage(int codePage, QStringView text)
{
    if (codePage == 1252)
        return EncodeWindows1252(text);
    return EncodeSingleByte(IconvName(codePage).toLatin1().constData(), text, false);
}

}  // namespace zelvon::codec
