#include "common/filetime.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace kv {

std::string dateTimeText(int y, int mo, int d, int h, int mi, int s) {
    char buf[64];
    if (h == 0 && mi == 0 && s == 0)
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, mo, d);
    else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", y, mo, d, h, mi, s);
    return buf;
}

std::optional<std::string> fileDateTimeText(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::tm tm {};
    std::time_t t = st.st_mtime;
    if (!::localtime_r(&t, &tm)) return std::nullopt;
    return dateTimeText(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

}  // namespace kv
