// Turns the text of a fetched news page into readable German text: UTF-8
// umlauts read as Windows-1252, the character references the news pages use,
// the charset mark and a few formatting tags.
#pragma once

#include <QString>

namespace zelvon::news {

// Pure: tempsum is not changed. The rules run once each, in a fixed order;
// each repeats until its sequence is gone, so an occurrence a replacement
// creates is replaced too, but an earlier rule never runs again.
QString umlaute(const QString& tempsum);

}  // namespace zelvon::news
