// The file layer under the record-file helpers: every byte the program reads
// or writes through src/common passes here. Tests use its hooks to make a
// write fail after N bytes, a rename fail or a read be denied; a kill test
// stops the process after the N-th file put in place.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// How a read of a file ended: it read, the file is not there, or the file is
// there but cannot be read (permission, I/O error, a folder in its place).
enum class ReadStatus { Ok, Missing, Unreadable };

struct FileRead {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;   // the whole file when Ok
    std::string reason;  // why it could not be read (Unreadable)
    bool ok() const { return status == ReadStatus::Ok; }
};

// Reads a whole file and tells missing from unreadable. An unreadable file is
// also noted in the list of unreadable files below.
FileRead readFileChecked(const std::string& path);

// Files found but not readable since the list was last cleared ("path: reason",
// each path once, in the order found). Every reader of src/common adds to it,
// from any thread; a step clears it when it starts and reports it when it ends.
std::vector<std::string> unreadableFiles();
void clearUnreadableFiles();
// Notes an unreadable file (for readers outside src/common).
void noteUnreadable(const std::string& path, const std::string& reason);

// A temporary name next to path, unique in this process: "<path>.tmp<pid>_<n>".
std::string tempNameFor(const std::string& path);
// Removes the temporary files "<name>.tmp<pid>_<n>" in dir that a process no
// longer running left behind; only names in `names` are looked at, or every
// name when `names` is empty. Returns how many were removed.
int removeStaleTemps(const std::string& dir, const std::vector<std::string>& names = {});

namespace fsys {

// Faults injected by tests (everything off by default). Process-wide.
struct Faults {
    long long failWriteAfterBytes = -1;  // writes fail (no space) once this many bytes were written
    bool failRename = false;             // every rename fails
    std::string denyReadContaining;      // opening for reading a path containing this text is denied
};
void setFaults(const Faults& f);
void clearFaults();

// Primitives (POSIX descriptors). Each returns false / -1 with errno set.
int openRead(const std::string& path);
int openWrite(const std::string& path, bool truncate, bool append);
bool writeAt(int fd, std::string_view bytes, long long offset);  // offset < 0: at the current position
bool closeFile(int fd);
bool renameFile(const std::string& from, const std::string& to);
// Called when a whole file has been put in place under its final name. The
// test hook KV_TEST_STOP_AFTER_FILES=N (environment) ends the process at once
// (exit code 86) after the N-th such file, as a kill would.
void filePlaced();

}  // namespace fsys
}  // namespace kv
