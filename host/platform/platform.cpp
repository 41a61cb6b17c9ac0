#include <platform/platform.h>

#include <dirent.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vl2platform {

std::string userName() {
    for (const char* var : {"USER", "LOGNAME", "USERNAME"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    if (const passwd* pw = getpwuid(geteuid())) {
        if (pw->pw_name) return pw->pw_name;
    }
    return "";
}

std::string longDate(std::time_t when) {
    std::tm tm{};
    localtime_r(&when, &tm);
    static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char* const months[] = {"January", "February", "March", "April", "May", "June",
                                         "July", "August", "September", "October", "November", "December"};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s, %s %d, %d", days[tm.tm_wday % 7], months[tm.tm_mon % 12], tm.tm_mday,
                  tm.tm_year + 1900);
    return buf;
}

std::string longDateToday() { return longDate(std::time(nullptr)); }

std::string toNativeSeparators(const std::string& path) {
    std::string r = path;
    for (char& c : r)
        if (c == '\\') c = '/';
    return r;
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

namespace {
std::vector<std::string> splitComponents(const std::string& p) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : p) {
        if (c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

// The entry of `dir` whose name equals `name` ignoring case; exact match wins.
bool findEntry(const std::string& dir, const std::string& name, std::string* found) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool ok = false;
    while (dirent* e = ::readdir(d)) {
        if (name == e->d_name) {
            *found = e->d_name;
            ok = true;
            break;
        }
        if (!ok && ::strcasecmp(name.c_str(), e->d_name) == 0) {
            *found = e->d_name;
            ok = true;  // keep looking for an exact match
        }
    }
    ::closedir(d);
    return ok;
}
}  // namespace

std::string resolvePath(const std::string& path) {
    std::string native = toNativeSeparators(path);
    if (native.empty() || fileExists(native)) return native;
    const bool absolute = native[0] == '/';
    std::string cur = absolute ? "/" : "";
    for (const std::string& comp : splitComponents(native)) {
        std::string next = cur.empty() || cur == "/" ? cur + comp : cur + "/" + comp;
        if (comp == "." || comp == ".." || fileExists(next)) {
            cur = next;
            continue;
        }
        std::string entry;
        if (!findEntry(cur.empty() ? "." : cur, comp, &entry)) return native;
        cur = cur.empty() || cur == "/" ? cur + entry : cur + "/" + entry;
    }
    return cur;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    std::string native = toNativeSeparators(path);
    const bool writing = mode && (mode[0] == 'w' || mode[0] == 'a');
    if (!writing) return std::fopen(resolvePath(native).c_str(), mode);
    auto slash = native.rfind('/');
    if (slash == std::string::npos) return std::fopen(native.c_str(), mode);
    std::string dir = slash == 0 ? "/" : resolvePath(native.substr(0, slash));
    std::string full = (dir == "/" ? dir : dir + "/") + native.substr(slash + 1);
    return std::fopen(full.c_str(), mode);
}

}  // namespace vl2platform
