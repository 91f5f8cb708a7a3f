#include "common/recordfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace kv {

std::optional<std::string> readFileBytes(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string data;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    in.seekg(0, std::ios::beg);
    data.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(data.data(), size)) return std::nullopt;
    return data;
}

bool writeFileAtomic(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    std::string tmp = path + ".tmp" + std::to_string(static_cast<unsigned long>(::getpid())) + "_" + std::to_string(counter++);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

bool appendFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool truncateFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool dirExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool makeDirs(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return dirExists(path);
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !fs::exists(path, ec);
}

long long fileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return -1;
    auto s = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(s);
}

std::vector<std::string> listFiles(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (it->is_regular_file(ec2)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool RecordFileWriter::open() {
    close();
    f_ = std::fopen(path_.c_str(), "r+b");
    if (!f_) f_ = std::fopen(path_.c_str(), "w+b");
    return f_ != nullptr;
}

bool RecordFileWriter::write(std::size_t n, std::string_view rec) {
    if (!f_ || n == 0) {
        ++failures_;
        return false;
    }
    std::string data(rec.substr(0, std::min(rec.size(), len_)));
    data.resize(len_, ' ');
    if (std::fseek(f_, static_cast<long>((n - 1) * len_), SEEK_SET) != 0 ||
        std::fwrite(data.data(), 1, data.size(), f_) != data.size()) {
        ++failures_;
        return false;
    }
    return true;
}

void RecordFileWriter::close() {
    if (f_ && std::fclose(f_) != 0) ++failures_;  // buffered records did not reach the disk
    f_ = nullptr;
}

std::vector<std::string> splitRecords(std::string_view bytes, std::size_t len) {
    std::vector<std::string> recs;
    if (len == 0) return recs;
    std::size_t n = bytes.size() / len;
    recs.reserve(n);
    for (std::size_t i = 0; i < n; ++i) recs.emplace_back(bytes.substr(i * len, len));
    return recs;
}

std::size_t RecordFile::count() const {
    long long s = fileSize(path_);
    return (s <= 0 || len_ == 0) ? 0 : static_cast<std::size_t>(s) / len_;
}

std::vector<std::string> RecordFile::readAll() const {
    auto bytes = readFileBytes(path_);
    if (!bytes) return {};
    return splitRecords(*bytes, len_);
}

std::optional<std::string> RecordFile::read(std::size_t n) const {
    if (n == 0 || n > count()) return std::nullopt;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(static_cast<std::streamoff>((n - 1) * len_));
    std::string rec(len_, '\0');
    if (!in.read(rec.data(), static_cast<std::streamsize>(len_))) return std::nullopt;
    return rec;
}

std::vector<std::string> RecordFile::readRange(std::size_t first, std::size_t last) const {
    std::vector<std::string> out;
    if (first < 1 || last < first || len_ == 0) return out;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return out;
    std::string buf((last - first + 1) * len_, '\0');
    in.seekg(static_cast<std::streamoff>((first - 1) * len_));
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    const std::size_t got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)) / len_;
    out.reserve(got);
    for (std::size_t i = 0; i < got; ++i) out.push_back(buf.substr(i * len_, len_));
    return out;
}

bool RecordFile::write(std::size_t n, std::string_view rec) const {
    if (n == 0) return false;
    std::string data(rec.substr(0, std::min(rec.size(), len_)));
    data.resize(len_, ' ');
    std::fstream f(path_, std::ios::binary | std::ios::in | std::ios::out);
    if (!f) {
        f.open(path_, std::ios::binary | std::ios::out | std::ios::trunc);
        f.close();
        f.open(path_, std::ios::binary | std::ios::in | std::ios::out);
        if (!f) return false;
    }
    f.seekp(static_cast<std::streamoff>((n - 1) * len_));
    f.write(data.data(), static_cast<std::streamsize>(len_));
    return static_cast<bool>(f);
}

bool RecordFile::append(std::string_view rec) const { return write(count() + 1, rec); }

bool RecordFile::writeAll(const std::vector<std::string>& recs) const {
    std::string data;
    data.reserve(recs.size() * len_);
    for (const auto& r : recs) {
        std::string x(r.substr(0, std::min(r.size(), len_)));
        x.resize(len_, ' ');
        data += x;
    }
    return writeFileAtomic(path_, data);
}

}  // namespace kv
