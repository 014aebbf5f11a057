// The detail page of one news item, turned into the text that is kept: the
// head and tail of the page cut away, the text normalised, the body between
// the heading and the first script.
#pragma once

#include "platform/text_view.h"

#include <QString>

namespace zelvon::news {

// Deletes the lines up to the one holding "Detail_body_pre", and that line;
// line 0 stays, and a page of fewer than 10 lines loses line 1 only.
void CutHead(TextView& detail);
// Deletes the first line from line 1 on that holds "</pre></div>", and all after it.
void CutTail(TextView& detail);
// Replaces the text by its normalisation.
void Normalise(TextView& detail);
// ".htm" when the text has "<html>" after its first character, else ".txt".
QString KeptExtension(const TextView& detail);
// The text from after "</h6>" to before the first "<script" after it; empty
// without a script. Unchanged without "</h6>".
void CutBody(TextView& detail);

}  // namespace zelvon::news
