// Day files: a writer creates (empties) the file of a key the first time the
// key appears in a run, and appends on every later race of that key, even when
// other keys came in between. One DayFiles object per writer and run.
#pragma once
#include <set>
#include <string>
#include <string_view>

namespace kv {

class DayFiles {
public:
    // Appends bytes to path for this key; the first call for a key in this run
    // empties the file first. Returns false when the file could not be written.
    bool write(const std::string& key, const std::string& path, std::string_view bytes);
    // True when the key has not been written yet in this run (the file would be created).
    bool isNew(const std::string& key) const { return seen_.count(key) == 0; }
    // Marks a key as started without writing (for writers that open the file themselves).
    void start(const std::string& key) { seen_.insert(key); last_ = key; }
    const std::string& lastKey() const { return last_; }
    void reset() { seen_.clear(); last_.clear(); }

private:
    std::set<std::string> seen_;
    std::string last_;
};

}  // namespace kv
