// Text encodings of files, pages and tables: Windows-1252 for everything the
// program reads from the web or writes as text, whatever the machine's locale,
// and the other single-byte code pages that tables may declare.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zelvon::codec {

// Every byte decodes; the five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become U+0081 and so on, so that they survive a round trip.
QString DecodeWindows1252(QByteArrayView bytes);
// Characters Windows-1252 cannot hold are written as "?".
QByteArray EncodeWindows1252(QStringView text);

// Any single-byte code page by its Windows number (437, 850, 1252, ...).
// 1252 goes through the functions above; an unknown code page raises an error.
QString DecodeCodePage(int codePage, QByteArrayView bytes);
QByteArray EncodeCodePage(int codePage, QStringView text);

}  // namespace zelvon::codec
