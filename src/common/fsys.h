// The file layer under the record-file helpers: every byte the program reads
// or writes through src/common passes here. Tests use its hooks to make a
// write fail after N bytes, a rename fail or a read be denied; a kill test
// stops the process after the N-th file put in place.
#pragma once
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
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

struct FileView;

// The bytes of a whole file, held for reading without copies: a large file is
// mapped (its pages are the page cache's), a small one read into a buffer that
// is not zero-filled first. Move-only; the bytes stay valid while it lives.
// When another program cuts a mapped file short while it is held, the bytes
// past the new end read as zero bytes instead of ending the process.
class FileBytes {
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(FileBytes&& o) noexcept;
    FileBytes& operator=(FileBytes&& o) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view view() const { return {data_, size_}; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string str() const { return std::string(data_, size_); }

private:
    friend struct FileView;
    friend FileView readFileView(const std::string& path);
    void reset();
    const char* data_ = "";
    std::size_t size_ = 0;
    void* map_ = nullptr;  // the mapping, when mapped
    std::size_t mapLen_ = 0;
    char* heap_ = nullptr; // the buffer, when read
};

struct FileView {
    ReadStatus status = ReadStatus::Missing;
    FileBytes bytes;     // the whole file when Ok
    std::string reason;  // why it could not be read (Unreadable)
    bool ok() const { return status == ReadStatus::Ok; }
};

// As readFileChecked, the bytes held as a FileBytes.
FileView readFileView(const std::string& path);

// Whether the file holds exactly these bytes (false when it is missing or
// cannot be read). Nothing is noted: a writer asks this of a file it is
// about to replace.
bool fileHolds(const std::string& path, std::string_view bytes);

// The processors this process may run on (at least 1): the count of workers
// a step starts when none is asked for.
unsigned usableCores();

// Sets the allocator up for a program that reads and writes tens of
// megabytes in big blocks: freed memory is kept for reuse instead of being
// handed back and faulted in again. Called once at the start of main.
void tuneMemoryForBulkWork();

// A file read whole whose records are damaged: how many, the first (record
// number, 1-based; 0 where the damage is the file's as a whole, an empty
// file) and what is wrong with it, in Japanese for the message and in English
// for the log; `action` says what to do, in a sentence (empty: not known).
struct DamagedFile {
    std::string path;
    long records = 0;
    std::size_t first = 0;
    std::string what;
    std::string whatEnglish;
    std::string action;
    bool lines = false;  // a text file: the records are its lines
};

// What a step found wrong with the files it read: the files found but not
// readable ("path: reason", each path once, in the order found) and the
// files read with damaged records (each path once; a file read again keeps
// the larger count and the earliest damaged record). Each step
// has its own: a thread reports into the notes of the step it works for
// (its own notes, or those a FileNotesScope gave it), so that two steps
// running at the same time never clear or take each other's files.
class FileNotes {
public:
    void noteUnreadable(const std::string& path, const std::string& reason);
    std::vector<std::string> unreadable() const;
    void noteDamaged(const DamagedFile& damage);
    std::vector<DamagedFile> damaged() const;
    void clear();

private:
    mutable std::mutex mu_;
    std::vector<std::string> unreadable_;
    std::set<std::string> seen_;
    std::vector<DamagedFile> damaged_;
};

// The notes the calling thread reports into: those of the innermost
// FileNotesScope on this thread, else the thread's own.
FileNotes& currentFileNotes();

// Makes `notes` the calling thread's notes while it lives (a worker thread
// of a step reports into the step's notes).
class FileNotesScope {
public:
    explicit FileNotesScope(FileNotes& notes);
    ~FileNotesScope();
    FileNotesScope(const FileNotesScope&) = delete;
    FileNotesScope& operator=(const FileNotesScope&) = delete;

private:
    FileNotes* previous_;
};

// A thread that runs f reporting into the calling thread's notes.
template <class F>
std::thread stepThread(F f) {
    FileNotes* notes = &currentFileNotes();
    return std::thread([notes, f = std::move(f)]() mutable {
        FileNotesScope scope(*notes);
        f();
    });
}

// The calling thread's notes (currentFileNotes()): every reader of src/common
// adds to them; a step clears them when it starts and reports them when it ends.
std::vector<std::string> unreadableFiles();
void clearUnreadableFiles();
// Notes an unreadable file (for readers outside src/common).
void noteUnreadable(const std::string& path, const std::string& reason);
// The calling thread's notes of damaged files (cleared with the unreadable ones).
std::vector<DamagedFile> damagedFiles();
void noteDamaged(const DamagedFile& damage);

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
// A file with no name yet in the folder of path, open for writing (-1 when the
// file system cannot make one); linkNew gives it the name path, failing with
// EEXIST when path exists. A failed link leaves nothing behind once closed.
int openUnnamed(const std::string& path);
bool linkNew(int fd, const std::string& path);
// Called when a whole file has been put in place under its final name. The
// test hook KV_TEST_STOP_AFTER_FILES=N (environment) ends the process at once
// (exit code 86) after the N-th such file, as a kill would.
void filePlaced();

}  // namespace fsys
}  // namespace kv
