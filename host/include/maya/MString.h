#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>
#include <string>

class MStringArray;

// The host's string: 8-bit characters, value semantics.
class MString {
public:
    MString() = default;
    MString(const char* s) : s_(s ? s : "") {}
    MString(const char* s, int length) : s_(s ? std::string(s, static_cast<size_t>(length < 0 ? 0 : length)) : std::string()) {}
    MString(const std::string& s) : s_(s) {}
    MString(std::string&& s) : s_(std::move(s)) {}

    const char* asChar() const { return s_.c_str(); }
    const char* asChar(int& length) const { length = static_cast<int>(s_.size()); return s_.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(s_.size()); }
    unsigned int numChars() const { return length(); }

    MString& operator=(const char* s) { s_ = s ? s : ""; return *this; }
    MString& operator+=(const MString& o) { s_ += o.s_; return *this; }
    MString& operator+=(const char* o) { if (o) s_ += o; return *this; }
    MString& operator+=(char c) { s_ += c; return *this; }
    MString& operator+=(int v);
    MString& operator+=(unsigned int v);
    MString& operator+=(double v);
    MString& operator+=(float v) { return *this += static_cast<double>(v); }

    bool operator==(const MString& o) const { return s_ == o.s_; }
    bool operator!=(const MString& o) const { return s_ != o.s_; }
    bool operator==(const char* o) const { return s_ == (o ? o : ""); }
    bool operator!=(const char* o) const { return !(*this == o); }
    bool operator<(const MString& o) const { return s_ < o.s_; }

    // Index of the first/last occurrence, -1 when absent.
    int index(char c) const;
    int rindex(char c) const;
    int indexW(const MString& s) const;
    int rindexW(const MString& s) const;
    // Characters start..end, both inclusive, as in the host.
    MString substring(int start, int end) const;
    MString substringW(int start, int end) const { return substring(start, end); }
    MString toLowerCase() const;
    MString toUpperCase() const;
    MStatus split(char c, MStringArray& out) const;
    MString& substitute(const MString& from, const MString& to);

    bool isInt() const;
    bool isShort() const { return isInt(); }
    bool isUnsigned() const;
    bool isDouble() const;
    bool isFloat() const { return isDouble(); }
    int asInt() const;
    short asShort() const { return static_cast<short>(asInt()); }
    unsigned int asUnsigned() const;
    double asDouble() const;
    float asFloat() const { return static_cast<float>(asDouble()); }

    MString& set(const char* s) { s_ = s ? s : ""; return *this; }
    MString& set(double v);
    MString& set(double v, int precision);

    // Host-internal convenience; plug-in code keeps to the calls above.
    const std::string& str() const { return s_; }

private:
    std::string s_;
};

MString operator+(const MString& a, const MString& b);
MString operator+(const MString& a, const char* b);
MString operator+(const char* a, const MString& b);
MString operator+(const MString& a, int b);
MString operator+(const MString& a, unsigned int b);
MString operator+(const MString& a, double b);
std::ostream& operator<<(std::ostream& os, const MString& s);
