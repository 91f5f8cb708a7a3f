// Shared pieces of the fuzz targets: a scratch application folder per process
// and the split of one input into several files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/appfolder.h"
#include "common/recordfile.h"

namespace kvfuzz {

// Parts of an input that stands for several files are joined by this line.
inline constexpr std::string_view kPartBreak = "\n--8<--\n";

inline std::vector<std::string_view> splitParts(std::string_view in, std::size_t maxParts) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = in.find(kPartBreak);
        if (at == std::string_view::npos) break;
        parts.push_back(in.substr(0, at));
        in.remove_prefix(at + kPartBreak.size());
    }
    parts.push_back(in);
    return parts;
}

// A fresh application folder for this process, set as the program's folder.
inline const std::string& scratchAppDir() {
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/kv-fuzz-XXXXXX";
        if (!::mkdtemp(tmpl.data())) std::abort();
        kv::SetAppPath(tmpl);
        return tmpl;
    }();
    return dir;
}

inline std::string_view view(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kvfuzz
