#include "expansion/stats/stat_files.h"

#include <algorithm>

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordfile.h"

namespace kv::stats {

double lenientValue(std::string_view s, bool zeroIsBlank) {
    long long n = 0;
    int digits = 0;
    bool plain = true, zeros = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            if (++digits > 15) {
                plain = false;
                break;
            }
            n = n * 10 + (c - '0');
        } else if (c == '\0' && zeroIsBlank) {
            zeros = true;
        } else if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            plain = false;  // blanks anywhere count for nothing; anything else: the general reading
            break;
        }
    }
    if (plain) return static_cast<double>(n);
    if (!zeroIsBlank || (!zeros && s.find('\0') == std::string_view::npos)) return kv::val(s);
    std::string t(s);
    for (char& c : t)
        if (c == '\0') c = ' ';
    return kv::val(t);
}

// Blanks a short record lacks would count for nothing: the member's bytes in place.
double statValue(std::string_view rec, Field f) { return lenientValue(kv::fieldView(rec, f)); }

std::string optionFile(std::string_view appDir, std::string_view name) {
    return kv::joinPath(kv::joinPath(appDir, kv::dirs::OPTION1N), name);
}

std::string optionFile(std::string_view name) {
    return optionFile(kv::GetAppPath(), name);
}

bool StatFile::load(const std::string& path) {
    bool ok = false;
    loadHeld(HeldBytes::read(path, &ok));
    return ok;
}

void StatFile::loadBytes(std::string bytes) { loadHeld(HeldBytes::own(std::move(bytes))); }

void StatFile::loadHeld(std::shared_ptr<const HeldBytes> bytes) {
    auto data = std::make_shared<Loaded>();
    data->bytes = std::move(bytes);
    data->index.build(data->bytes->view(), len_, key_, winner_);
    count_ = data->index.count();
    data_ = std::move(data);
}

std::string_view StatFile::record(std::size_t n) const {
    if (n == 0 || n > count_ || !data_) return {};
    return data_->bytes->view().substr((n - 1) * len_, len_);
}

std::size_t StatFile::findNumber(std::string_view key) const {
    if (!data_) return 0;
    return data_->index.find(key);
}

std::optional<std::string_view> StatFile::find(std::string_view key) const {
    std::size_t n = findNumber(key);
    if (n == 0) return std::nullopt;
    return record(n);
}

namespace {

// Calls fn(record) for each record selected, once per list entry equal to its key.
template <class Fn>
void forEachListed(std::string_view suppliedBytes, std::size_t recLen, Field key, const std::vector<std::string>& list,
                   Fn fn) {
    if (recLen == 0 || key.end() > recLen || list.empty()) return;
    std::unordered_map<std::string_view, std::size_t> times;
    times.reserve(list.size());
    for (const auto& e : list) ++times[std::string_view(e)];
    const std::size_t count = suppliedBytes.size() / recLen;
    for (std::size_t n = 0; n < count; ++n) {
        std::string_view rec = suppliedBytes.substr(n * recLen, recLen);
        auto it = times.find(rec.substr(key.off, key.len));
        if (it == times.end()) continue;
        for (std::size_t t = 0; t < it->second; ++t) fn(rec);
    }
}

long writeWorkFile(std::string_view appDir, const char* supplied, const char* work, std::size_t recLen, Field key,
                   const std::vector<std::string>& list, std::string& out) {
    out.clear();
    // The supplied file is looked through once: read in chunks, never held whole.
    const bool usable = recLen > 0 && key.end() <= recLen;
    std::unordered_map<std::string_view, std::size_t> times;
    if (usable) {
        times.reserve(list.size());
        for (const auto& e : list) ++times[std::string_view(e)];
        out.reserve(list.size() * recLen);  // one record per list entry: the usual case, in one piece
    }
    const bool read = kv::scanRecords(optionFile(appDir, supplied), usable ? recLen : 1, 1,
                                      [&](unsigned, std::string_view rec) {
                                          if (!usable) return;
                                          auto it = times.find(rec.substr(key.off, key.len));
                                          if (it == times.end()) return;
                                          for (std::size_t t = 0; t < it->second; ++t) out += rec;
                                      }) == ReadStatus::Ok;
    if (!read) out.clear();
    if (!kv::writeFileAtomic(optionFile(appDir, work), out)) return -1;
    return static_cast<long>(out.size() / recLen);
}

}  // namespace

std::vector<std::string> selectListedRecords(std::string_view suppliedBytes, std::size_t recLen, Field key,
                                             const std::vector<std::string>& list) {
    std::vector<std::string> out;
    forEachListed(suppliedBytes, recLen, key, list, [&](std::string_view rec) { out.emplace_back(rec); });
    return out;
}

long writeHahaumaThisWeek(std::string_view appDir, const std::vector<std::string>& dams) {
    std::string out;
    return writeWorkFile(appDir, names::HAHAUMA, names::HAHAUMA_WEEK, ParentStatRecord::kLength,
                         ParentStatRecord::HansyokuNum, dams, out);
}

long writeKyosobaThisWeek(std::string_view appDir, const std::vector<std::string>& horses) {
    std::string out;
    return writeKyosobaThisWeek(appDir, horses, out);
}

long writeKyosobaThisWeek(std::string_view appDir, const std::vector<std::string>& horses, std::string& selected) {
    return writeWorkFile(appDir, names::KYOSOBA, names::KYOSOBA_WEEK, KyosobaStatRecord::kLength,
                         KyosobaStatRecord::KettoNum, horses, selected);
}

}  // namespace kv::stats
