#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace {
std::string formatDouble(double v, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    return buf;
}

// Whole text (surrounding blanks allowed) parses as a base-10 integer.
bool parsesAsLong(const std::string& s, long long* out) {
    const char* b = s.c_str();
    while (std::isspace(static_cast<unsigned char>(*b))) ++b;
    if (!*b) return false;
    char* e = nullptr;
    errno = 0;
    long long v = std::strtoll(b, &e, 10);
    if (e == b || errno == ERANGE) return false;
    while (std::isspace(static_cast<unsigned char>(*e))) ++e;
    if (*e) return false;
    if (out) *out = v;
    return true;
}

bool parsesAsDouble(const std::string& s, double* out) {
    const char* b = s.c_str();
    while (std::isspace(static_cast<unsigned char>(*b))) ++b;
    if (!*b) return false;
    char* e = nullptr;
    double v = std::strtod(b, &e);
    if (e == b) return false;
    while (std::isspace(static_cast<unsigned char>(*e))) ++e;
    if (*e) return false;
    if (out) *out = v;
    return true;
}
}  // namespace

MString& MString::operator+=(int v) { s_ += std::to_string(v); return *this; }
MString& MString::operator+=(unsigned int v) { s_ += std::to_string(v); return *this; }
MString& MString::operator+=(double v) { s_ += formatDouble(v, 6); return *this; }

int MString::index(char c) const {
    auto p = s_.find(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}
int MString::rindex(char c) const {
    auto p = s_.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}
int MString::indexW(const MString& s) const {
    auto p = s_.find(s.s_);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}
int MString::rindexW(const MString& s) const {
    auto p = s_.rfind(s.s_);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

MString MString::substring(int start, int end) const {
    if (start < 0) start = 0;
    if (end >= static_cast<int>(s_.size())) end = static_cast<int>(s_.size()) - 1;
    if (end < start) return MString();
    return MString(s_.substr(static_cast<size_t>(start), static_cast<size_t>(end - start + 1)));
}

MString MString::toLowerCase() const {
    std::string r = s_;
    for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
MString MString::toUpperCase() const {
    std::string r = s_;
    for (auto& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// As the host: empty pieces between repeated separators are dropped.
MStatus MString::split(char c, MStringArray& out) const {
    out.clear();
    std::string cur;
    for (char ch : s_) {
        if (ch == c) {
            if (!cur.empty()) out.append(MString(cur));
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty()) out.append(MString(cur));
    return MStatus::kSuccess;
}

MString& MString::substitute(const MString& from, const MString& to) {
    if (from.s_.empty()) return *this;
    std::string r;
    size_t pos = 0;
    for (;;) {
        size_t p = s_.find(from.s_, pos);
        if (p == std::string::npos) break;
        r.append(s_, pos, p - pos);
        r += to.s_;
        pos = p + from.s_.size();
    }
    r.append(s_, pos, std::string::npos);
    s_ = std::move(r);
    return *this;
}

bool MString::isInt() const {
    long long v;
    return parsesAsLong(s_, &v) && v >= -2147483648LL && v <= 2147483647LL;
}
bool MString::isUnsigned() const {
    long long v;
    return parsesAsLong(s_, &v) && v >= 0 && v <= 4294967295LL;
}
bool MString::isDouble() const { return parsesAsDouble(s_, nullptr); }
int MString::asInt() const { return static_cast<int>(std::strtol(s_.c_str(), nullptr, 10)); }
unsigned int MString::asUnsigned() const { return static_cast<unsigned int>(std::strtoul(s_.c_str(), nullptr, 10)); }
double MString::asDouble() const { return std::strtod(s_.c_str(), nullptr); }

MString& MString::set(double v) { s_ = formatDouble(v, 6); return *this; }
MString& MString::set(double v, int precision) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", precision < 0 ? 0 : (precision > 100 ? 100 : precision), v);
    s_ = buf;
    return *this;
}

MString operator+(const MString& a, const MString& b) { MString r(a); r += b; return r; }
MString operator+(const MString& a, const char* b) { MString r(a); r += b; return r; }
MString operator+(const char* a, const MString& b) { MString r(a); r += b; return r; }
MString operator+(const MString& a, int b) { MString r(a); r += b; return r; }
MString operator+(const MString& a, unsigned int b) { MString r(a); r += b; return r; }
MString operator+(const MString& a, double b) { MString r(a); r += b; return r; }
std::ostream& operator<<(std::ostream& os, const MString& s) { return os << s.str(); }
