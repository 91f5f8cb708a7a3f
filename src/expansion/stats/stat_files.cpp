#include "expansion/stats/stat_files.h"

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordfile.h"

namespace kv::stats {

double statValue(std::string_view rec, Field f) {
    return kv::val(kv::getField(rec, f));
}

std::string optionFile(std::string_view appDir, std::string_view name) {
    return kv::joinPath(kv::joinPath(appDir, kv::dirs::OPTION1N), name);
}

std::string optionFile(std::string_view name) {
    return optionFile(kv::GetAppPath(), name);
}

bool StatFile::load(const std::string& path) {
    auto bytes = kv::readFileBytes(path);
    loadBytes(bytes ? std::move(*bytes) : std::string());
    return bytes.has_value();
}

void StatFile::loadBytes(std::string bytes) {
    auto data = std::make_shared<const std::string>(std::move(bytes));
    auto index = std::make_shared<std::unordered_map<std::string_view, std::size_t>>();
    std::size_t count = 0;
    if (len_ > 0 && key_.end() <= len_) {
        count = data->size() / len_;
        index->reserve(count);
        std::string_view all(*data);
        for (std::size_t n = 1; n <= count; ++n) {
            std::string_view k = all.substr((n - 1) * len_ + key_.off, key_.len);
            if (winner_ == Winner::First)
                index->emplace(k, n);
            else
                (*index)[k] = n;
        }
    }
    data_ = std::move(data);
    index_ = std::move(index);
    count_ = count;
}

std::string_view StatFile::record(std::size_t n) const {
    if (n == 0 || n > count_ || !data_) return {};
    return std::string_view(*data_).substr((n - 1) * len_, len_);
}

std::size_t StatFile::findNumber(std::string_view key) const {
    if (!index_ || key.size() != key_.len) return 0;
    auto it = index_->find(key);
    return it == index_->end() ? 0 : it->second;
}

std::optional<std::string_view> StatFile::find(std::string_view key) const {
    std::size_t n = findNumber(key);
    if (n == 0) return std::nullopt;
    return record(n);
}

std::vector<std::string> selectListedRecords(std::string_view suppliedBytes, std::size_t recLen, Field key,
                                             const std::vector<std::string>& list) {
    std::vector<std::string> out;
    if (recLen == 0 || key.end() > recLen || list.empty()) return out;
    std::unordered_map<std::string_view, std::size_t> times;
    times.reserve(list.size());
    for (const auto& e : list) ++times[std::string_view(e)];
    const std::size_t count = suppliedBytes.size() / recLen;
    for (std::size_t n = 0; n < count; ++n) {
        std::string_view rec = suppliedBytes.substr(n * recLen, recLen);
        auto it = times.find(rec.substr(key.off, key.len));
        if (it == times.end()) continue;
        for (std::size_t t = 0; t < it->second; ++t) out.emplace_back(rec);
    }
    return out;
}

namespace {

long writeWorkFile(std::string_view appDir, const char* supplied, const char* work, std::size_t recLen, Field key,
                   const std::vector<std::string>& list) {
    auto bytes = kv::readFileBytes(optionFile(appDir, supplied));
    std::vector<std::string> recs;
    if (bytes) recs = selectListedRecords(*bytes, recLen, key, list);
    std::string out;
    out.reserve(recs.size() * recLen);
    for (const auto& r : recs) out += r;
    if (!kv::writeFileAtomic(optionFile(appDir, work), out)) return -1;
    return static_cast<long>(recs.size());
}

}  // namespace

long writeHahaumaThisWeek(std::string_view appDir, const std::vector<std::string>& dams) {
    return writeWorkFile(appDir, names::HAHAUMA, names::HAHAUMA_WEEK, ParentStatRecord::kLength,
                         ParentStatRecord::HansyokuNum, dams);
}

long writeKyosobaThisWeek(std::string_view appDir, const std::vector<std::string>& horses) {
    return writeWorkFile(appDir, names::KYOSOBA, names::KYOSOBA_WEEK, KyosobaStatRecord::kLength,
                         KyosobaStatRecord::KettoNum, horses);
}

}  // namespace kv::stats
