// Day files: a writer creates (empties) the file of a key the first time the
// key appears in a run, and appends on every later race of that key, even when
// other keys came in between. One DayFiles object per writer and run.
//
// A day file is built under a temporary name (tempNameFor in common/fsys.h)
// and put in place by place(), once the run has written all its races: a run
// that is killed or fails leaves every day file as it was before the run or
// as the run wrote it whole, never cut off. Temporary files not put in place
// are removed when the object goes.
#pragma once
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class DayFiles {
public:
    DayFiles() = default;
    ~DayFiles();
    DayFiles(const DayFiles&) = delete;
    DayFiles& operator=(const DayFiles&) = delete;

    // Appends bytes to path for this key; the first call for a key in this run
    // empties the file first. Returns false when the file could not be written.
    bool write(const std::string& key, const std::string& path, std::string_view bytes);
    // The whole new contents of path for this key (a file rewritten race by race).
    bool replace(const std::string& key, const std::string& path, std::string_view bytes);
    // Opens path's temporary file for appending, as write() does (the first
    // call for a key empties it; the key counts as started even when the open
    // fails). Returns the descriptor (fsys::writeAt / fsys::closeFile), -1 on failure.
    int openAppend(const std::string& key, const std::string& path);
    // A write to path that did not reach its temporary file: path is not put in place.
    void noteFailed(const std::string& path);

    // True when the key has not been written yet in this run (the file would be created).
    bool isNew(const std::string& key) const { return seen_.count(key) == 0; }
    // Marks a key as started without writing.
    void start(const std::string& key) { seen_.insert(key); last_ = key; }
    const std::string& lastKey() const { return last_; }

    // Puts every file written since the last place() in place, in the order
    // they were first written. A file one of whose writes failed is not: its
    // old version stays. Returns the paths not put in place. Later writes of
    // a started key go on from the file as placed.
    std::vector<std::string> place();
    // Drops the temporary files: the files stay as they were.
    void discard();

private:
    struct Staged {
        std::string path, tmp;
        bool failed = false;
        bool blocked = false;  // something that is not a file stands at path
    };
    Staged* staged(const std::string& path);
    // The temporary file of path, started (emptied when fresh, else a copy of
    // the file as it is) the first time path is written since the last place().
    Staged& stage(const std::string& path, bool fresh);
    std::set<std::string> seen_;
    std::string last_;
    std::vector<Staged> staged_;
};

}  // namespace kv
