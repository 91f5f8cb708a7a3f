// The registry of layouts: which layout a file's name calls for.
#include "common/recordlayout.h"

#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "common/appfolder.h"
#include "common/codetable.h"

namespace kv {
namespace {

struct Entry {
    std::string folder;  // empty: any folder
    std::string name;  // the file name, or its end when `suffix`
    bool suffix = false;
    RecordLayout layout;
};

Entry parse(const std::string& pattern) {
    Entry e;
    std::string rest = pattern;
    const auto slash = rest.rfind('/');
    if (slash != std::string::npos) {
        e.folder = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    if (!rest.empty() && rest.front() == '*') {
        e.suffix = true;
        rest.erase(0, 1);
    }
    e.name = rest;
    return e;
}

std::mutex gMu;
unsigned gVersion = 0;  // counts the registrations that added an entry

// The files of common's own formats, whose layouts live beside their readers
// (the code table). The other files are registered by the code that owns
// their format: the week's record files and the lists of horses by their
// layouts (acquisition/jvdata), the expanded run records and the factor
// weight tables by the calculation (expansion), the statistics files by
// their readers (expansion/stats), the day files of the results by their
// writers (prediction, betlines, elevencolumn).
std::vector<Entry> ownFiles() {
    std::vector<Entry> out;
    auto add = [&out](const std::string& pattern, RecordLayout l) {
        Entry e = parse(pattern);
        e.layout = std::move(l);
        out.push_back(std::move(e));
    };
    add(files::CODE_TABLE, codeTableLayout());
    return out;
}

std::deque<Entry>& entries() {
    // A deque: a layout handed out stays where it is while others are added.
    static std::deque<Entry> e = [] {
        std::vector<Entry> own = ownFiles();
        return std::deque<Entry>(own.begin(), own.end());
    }();
    return e;
}

bool endsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

void registerRecordLayout(const std::string& pattern, RecordLayout layout) {
    Entry e = parse(pattern);
    e.layout = std::move(layout);
    std::lock_guard<std::mutex> lock(gMu);
    for (auto& old : entries())
        if (old.folder == e.folder && old.name == e.name && old.suffix == e.suffix) {
            old.layout = std::move(e.layout);
            return;
        }
    entries().push_back(std::move(e));
    ++gVersion;
}

namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Where to look for a file name: the entries of each whole name and those of
// name endings, in the order of the entries (the first that matches wins).
struct Index {
    std::unordered_map<std::string, std::vector<std::size_t>, NameHash, std::equal_to<>> byName;
    std::vector<std::size_t> bySuffix;
};

// Called with gMu held.
const Index& index() {
    static Index ix;
    static unsigned version = ~0u;
    if (version != gVersion) {
        ix = Index();
        std::size_t i = 0;
        for (const auto& e : entries()) {
            if (e.suffix)
                ix.bySuffix.push_back(i);
            else
                ix.byName[e.name].push_back(i);
            ++i;
        }
        version = gVersion;
    }
    return ix;
}

}  // namespace

const RecordLayout* recordLayoutFor(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string_view folder;
    if (slash != std::string_view::npos) {
        folder = path.substr(0, slash);
        const auto up = folder.rfind('/');
        if (up != std::string_view::npos) folder = folder.substr(up + 1);
    }
    std::lock_guard<std::mutex> lock(gMu);
    const Index& ix = index();
    const auto& all = entries();  // entries are never removed nor moved
    std::size_t best = all.size();
    if (auto it = ix.byName.find(name); it != ix.byName.end())
        for (std::size_t i : it->second)
            if (all[i].folder.empty() || all[i].folder == folder) {
                best = i;
                break;
            }
    for (std::size_t i : ix.bySuffix) {
        if (i >= best) break;
        const Entry& e = all[i];
        if ((e.folder.empty() || e.folder == folder) && endsWith(name, e.name)) {
            best = i;
            break;
        }
    }
    return best < all.size() ? &all[best].layout : nullptr;
}

}  // namespace kv
