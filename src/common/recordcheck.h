// The check of a file read whole against the layout registered for its name
// (common/recordlayout.h): record files record by record, text files by the
// grammar of their lines or their stream of values (common/fieldgrammar.h).
// What is damaged is noted (FileNotes::noteDamaged); the reader goes on with
// the records as they read.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "common/damagetally.h"
#include "common/recordlayout.h"
#include "common/textcheck.h"

namespace kv {

// Checks the bytes of a whole file against its registered layout and notes
// what is damaged (nothing when no layout is registered).
void checkFileBytes(const std::string& path, std::string_view bytes);
// The same against a given layout.
void checkFileBytes(const std::string& path, std::string_view bytes, const RecordLayout& layout);
// A file read as records of recLen bytes: its registered layout, or a layout
// of that record length alone (the file must hold whole records).
void checkRecordFile(const std::string& path, std::string_view bytes, std::size_t recLen);

}  // namespace kv
