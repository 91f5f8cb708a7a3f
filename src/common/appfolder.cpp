#include "common/appfolder.h"

#include <unistd.h>

#include <filesystem>
#include <mutex>

namespace kv {

namespace {
std::mutex g_mu;
std::string g_appPath;

std::string withSlash(std::string d) {
    if (d.empty()) d = ".";
    if (d.back() != '/') d.push_back('/');
    return d;
}

std::string exeFolder() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return withSlash(p.parent_path().string());
}
}  // namespace

const std::string& GetAppPath() {
    std::lock_guard<std::mutex> lk(g_mu);
    if (g_appPath.empty()) g_appPath = exeFolder();
    return g_appPath;
}

void SetAppPath(const std::string& dir) {
    std::lock_guard<std::mutex> lk(g_mu);
    std::error_code ec;
    auto abs = std::filesystem::absolute(dir, ec);
    g_appPath = withSlash(ec ? dir : abs.lexically_normal().string());
}

std::string joinPath(std::string_view dir, std::string_view name) {
    std::string d(dir);
    std::string n(name);
    for (char& c : n)
        if (c == '\\') c = '/';
    while (!n.empty() && n.front() == '/') n.erase(0, 1);
    if (d.empty()) return n;
    if (d.back() != '/') d.push_back('/');
    return d + n;
}

std::string appFile(std::string_view relative) { return joinPath(GetAppPath(), relative); }

bool SafeFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == '\0') return false;  // a backslash is a separator to joinPath
    return true;
}

}  // namespace kv
