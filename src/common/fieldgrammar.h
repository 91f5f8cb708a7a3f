// The grammar of the quoted-value text files as the quoted-line reader
// (common/quoted.h) splits them: a file of lines, each line its fields, or
// one stream of fields in rows (line ends separate fields as commas do). A
// check names what its reader cannot take or would take as something else.
#pragma once
#include <string_view>

#include "common/damagetally.h"
#include "common/recordlayout.h"

namespace kv {

// A file of one stream of fields in rows of l.rowFields (after a head of
// l.headFields): text, quotes, the field rules and the rows (maxLines,
// wholeRows, minRows); a fault is told at the line where its row starts.
void checkStream(DamageTally& t, std::string_view bytes, const RecordLayout& l);
// A file of lines, each ending in CR LF, LF or CR (the last one may end
// with the file): text, quotes, the field rules and maxLines, line by line.
void checkLines(DamageTally& t, std::string_view bytes, const RecordLayout& l);

}  // namespace kv
