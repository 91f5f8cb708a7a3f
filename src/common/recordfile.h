// Random-access record files and whole-file helpers.
// Record n (1-based) lies at (n - 1) x length; the count is the file length
// divided by the record length, rounded down. A missing file has no records.
// Reading never creates a file.
#pragma once
#include <cstddef>
#include <cstdio>
#include <functional>

#include "common/fsys.h"
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Whole file as bytes; nullopt when it cannot be read (missing, a folder...).
// A file that is there but cannot be read is also noted in unreadableFiles()
// (common/fsys.h); readFileChecked tells the two apart.
std::optional<std::string> readFileBytes(const std::string& path);
// Writes the whole file through a temporary name renamed over the old one.
bool writeFileAtomic(const std::string& path, std::string_view bytes);
// Puts a finished file written under a temporary name (tempNameFor in
// common/fsys.h) in place of path; the temporary file is removed when that fails.
bool placeFile(const std::string& tmp, const std::string& path);
// Appends bytes (creates the file when missing).
bool appendFileBytes(const std::string& path, std::string_view bytes);
// Creates or empties a file.
bool truncateFile(const std::string& path);

bool fileExists(const std::string& path);   // a regular file
bool dirExists(const std::string& path);
bool makeDirs(const std::string& path);      // like mkdir -p; true when it exists afterwards
bool removeFile(const std::string& path);    // true when it no longer exists
long long fileSize(const std::string& path); // -1 when missing
// Names (not paths) of the regular files of a folder, sorted by name.
std::vector<std::string> listFiles(const std::string& dir);
// The same with the names of anything else standing there (a folder where a
// file of that name may be expected): a reader looking for its files by name
// then finds it unreadable instead of missing.
std::vector<std::string> listNames(const std::string& dir);

// The complete records of a file held in place (a partial last one dropped):
// records are views into the file's bytes, valid while this lives.
class RecordView {
public:
    RecordView() = default;
    RecordView(FileBytes bytes, std::size_t recLen)
        : bytes_(std::move(bytes)), len_(recLen), n_(recLen ? bytes_.size() / recLen : 0) {}
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    std::size_t recordLength() const { return len_; }
    // Record i, 0-based.
    std::string_view operator[](std::size_t i) const { return {bytes_.data() + i * len_, len_}; }
    // The complete records' bytes, in one piece.
    std::string_view bytes() const { return {bytes_.data(), n_ * len_}; }

    class iterator {
    public:
        iterator(const char* p, std::size_t len) : p_(p), len_(len) {}
        std::string_view operator*() const { return {p_, len_}; }
        iterator& operator++() {
            p_ += len_;
            return *this;
        }
        bool operator!=(const iterator& o) const { return p_ != o.p_; }
        bool operator==(const iterator& o) const { return p_ == o.p_; }

    private:
        const char* p_;
        std::size_t len_;
    };
    iterator begin() const { return {bytes_.data(), len_}; }
    iterator end() const { return {bytes_.data() + n_ * len_, len_}; }

private:
    FileBytes bytes_;
    std::size_t len_ = 0;
    std::size_t n_ = 0;
};

// A record file of fixed record length.
class RecordFile {
public:
    RecordFile(std::string path, std::size_t recLen) : path_(std::move(path)), len_(recLen) {}
    const std::string& path() const { return path_; }
    std::size_t recordLength() const { return len_; }

    std::size_t count() const;                       // 0 when missing
    std::vector<std::string> readAll() const;        // every complete record
    RecordView view() const;                         // the same, without copies
    std::optional<std::string> read(std::size_t n) const;  // 1-based; nullopt past the end
    // Records first..last (1-based, inclusive) read in one go; only the complete
    // records that exist are returned.
    std::vector<std::string> readRange(std::size_t first, std::size_t last) const;
    // Writes record n (1-based), creating the file; the record is fitted to the
    // record length. Writing past the end leaves zero bytes in between.
    bool write(std::size_t n, std::string_view rec) const;
    // Appends at count + 1 (a partial trailing record is overwritten).
    bool append(std::string_view rec) const;
    // Replaces the whole file with these records (temporary name + rename).
    bool writeAll(const std::vector<std::string>& recs) const;
    // Adds these records after the file's complete records (a partial last
    // one dropped), the whole file written anew as writeAll does: a kill or a
    // full disk leaves the file as it was. False, the file untouched, when it
    // cannot be read or written.
    bool appendAll(const std::vector<std::string>& recs) const;
    bool remove() const { return removeFile(path_); }

private:
    std::string path_;
    std::size_t len_;
};

// A record file held open for a loop of writes (a download appending record
// after record). Records are fitted to the record length and written at their
// record number. Every write that does not reach the file, and a close that
// fails to flush, counts in failures().
class RecordFileWriter {
public:
    RecordFileWriter(std::string path, std::size_t recLen) : path_(std::move(path)), len_(recLen) {}
    ~RecordFileWriter() { close(); }
    RecordFileWriter(const RecordFileWriter&) = delete;
    RecordFileWriter& operator=(const RecordFileWriter&) = delete;
    // Opens (creating when missing); false when it cannot be opened.
    bool open();
    bool write(std::size_t n, std::string_view rec);  // 1-based
    // Cuts the file to its first `records` records (what was written after them is dropped).
    bool truncate(std::size_t records);
    void close();
    long failures() const { return failures_; }

private:
    std::string path_;
    std::size_t len_;
    bool flush();
    int fd_ = -1;
    std::string pending_;        // records not yet written, contiguous from pendingAt_
    long long pendingAt_ = 0;    // byte offset of pending_
    long failures_ = 0;
};

// A text file that a step empties and refills piece by piece. The pieces go to
// a temporary file (created empty at once), which commit() puts in place of
// the file; a step that is killed or fails leaves the file as it was, or with
// abandon(true), empty. Every append, restart or rename that fails counts in
// failures(); commit() refuses after a failure.
class StagedFile {
public:
    explicit StagedFile(std::string path);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    bool append(std::string_view bytes);
    bool restart();                 // drops what was appended so far
    bool commit();                  // the file is now what was appended
    bool abandon(bool emptyFinal);  // the temporary file goes; emptyFinal: the file is emptied
    long failures() const { return failures_; }
    const std::string& path() const { return path_; }

private:
    std::string path_, tmp_;
    bool done_ = false;
    long failures_ = 0;
};

// Calls fn(part, record) with every complete record of a file (a partial last
// record left out), read through small reused buffers: for a file looked
// through once that keeps few of its records. The file is cut into up to
// `parts` runs of records of at least a megabyte, scanned at the same time
// (part 0 first in the file); each part's records come in order from one
// thread, different parts from different threads at once. The view is valid
// during the call only. Missing: no records. Unreadable (noted as the other
// readers note it): no records, or, when reading fails midway, those before.
ReadStatus scanRecords(const std::string& path, std::size_t recLen, unsigned parts,
                       const std::function<void(unsigned, std::string_view)>& fn);

// Reads a whole file into `buffer` (which only grows, so that it is reused)
// and returns the number of bytes read. A missing file and an empty file give
// -1 without a note; something else than a file (a folder) gives -1 and is
// noted as unreadable; a file that cannot be opened or read is noted as
// unreadable and gives what was read before. What was read is checked
// against the file's layout (common/recordcheck.h).
long long readFileInto(const std::string& path, std::string& buffer);

// Splits a byte buffer into complete records of length len (a partial last one dropped).
std::vector<std::string> splitRecords(std::string_view bytes, std::size_t len);

}  // namespace kv
