// Reading files through buffers that are reused from call to call: touching
// fresh memory (or the pages of a mapped file) costs more here than copying
// through a buffer that stays in the cache.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kv::pred {

// Calls fn with every complete record of the file (a partial last record is
// left out), read through small buffers: for a scan of a large file that keeps
// only a few of its records. The file is cut into up to `parts` runs of
// records of at least a megabyte, scanned at the same time; fn(part, record)
// gets the records of each part in order, part 0 first in the file, and is
// called from several threads at once (a part from one thread). The view is
// valid during the call only. A missing file has no records; a file that is
// there but cannot be read is noted as unreadable (kv::unreadableFiles()),
// like the other readers do.
void forEachRecord(const std::string& path, std::size_t recLen, unsigned parts,
                   const std::function<void(unsigned, std::string_view)>& fn);

// Reads a whole file into `buffer` (it only grows) and returns the number of
// bytes read. A missing file, something that is not a regular file and an
// empty file give -1 (nothing there to read) without a note; a file that
// cannot be opened or read is noted as unreadable and gives what was read
// before the failure.
long long readWholeFile(const std::string& path, std::string& buffer);

}  // namespace kv::pred
