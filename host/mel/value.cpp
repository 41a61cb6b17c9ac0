#include "mel/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace host::mel {

const char* typeName(Type t) {
    switch (t) {
    case Type::None: return "none";
    case Type::Int: return "int";
    case Type::Float: return "float";
    case Type::String: return "string";
    case Type::Vector: return "vector";
    case Type::IntArray: return "int[]";
    case Type::FloatArray: return "float[]";
    case Type::StringArray: return "string[]";
    case Type::VectorArray: return "vector[]";
    }
    return "?";
}

bool isArrayType(Type t) {
    return t == Type::IntArray || t == Type::FloatArray || t == Type::StringArray ||
           t == Type::VectorArray;
}

Type elementType(Type t) {
    switch (t) {
    case Type::IntArray: return Type::Int;
    case Type::FloatArray: return Type::Float;
    case Type::StringArray: return Type::String;
    case Type::VectorArray: return Type::Vector;
    default: return t;
    }
}

Type arrayTypeOf(Type t) {
    switch (t) {
    case Type::Int: return Type::IntArray;
    case Type::Float: return Type::FloatArray;
    case Type::String: return Type::StringArray;
    case Type::Vector: return Type::VectorArray;
    default: return t;
    }
}

std::string formatFloat(double v) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%g", v);
    return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string formatInt(int v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string formatVector(const Vec3& v) {
    return formatFloat(v.x) + " " + formatFloat(v.y) + " " + formatFloat(v.z);
}

namespace {

// Length of the leading decimal number of s (after `start`), 0 if none.
std::size_t numberSpan(std::string_view s, std::size_t start) {
    std::size_t i = start;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
            i = j;
        }
    }
    return i - start;
}

double parseNumberAt(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
        ++pos;
    std::size_t n = numberSpan(s, pos);
    if (n == 0) return 0.0;
    std::size_t b = pos;
    if (s[b] == '+') ++b;
    double v = 0;
    std::from_chars(s.data() + b, s.data() + pos + n, v);
    pos += n;
    return v;
}

int truncToInt(double d) {
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return std::numeric_limits<int>::max();
    if (d <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(d);
}

double length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace

int parseLeadingInt(std::string_view s) {
    std::size_t pos = 0;
    return truncToInt(parseNumberAt(s, pos));
}

double parseLeadingFloat(std::string_view s) {
    std::size_t pos = 0;
    return parseNumberAt(s, pos);
}

Vec3 parseVector(std::string_view s) {
    Vec3 v;
    std::size_t pos = 0;
    double* c[3] = {&v.x, &v.y, &v.z};
    for (double* p : c) {
        while (pos < s.size() && (s[pos] == ',' || s[pos] == '<' || s[pos] == '>')) ++pos;
        *p = parseNumberAt(s, pos);
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == ',' || s[pos] == '>')) ++pos;
    }
    return v;
}

Value Value::defaultOf(Type t) {
    switch (t) {
    case Type::None: return Value();
    case Type::Int: return Value(0);
    case Type::Float: return Value(0.0);
    case Type::String: return Value(std::string());
    case Type::Vector: return Value(Vec3{});
    case Type::IntArray: return Value(std::vector<int>());
    case Type::FloatArray: return Value(std::vector<double>());
    case Type::StringArray: return Value(std::vector<std::string>());
    case Type::VectorArray: return Value(std::vector<Vec3>());
    }
    return Value();
}

int Value::asInt() const {
    switch (type()) {
    case Type::Int: return std::get<int>(v_);
    case Type::Float: return truncToInt(std::get<double>(v_));
    case Type::String: return parseLeadingInt(std::get<std::string>(v_));
    case Type::Vector: return truncToInt(length(std::get<Vec3>(v_)));
    case Type::None: return 0;
    default: return size() ? element(0).asInt() : 0;
    }
}

double Value::asFloat() const {
    switch (type()) {
    case Type::Int: return std::get<int>(v_);
    case Type::Float: return std::get<double>(v_);
    case Type::String: return parseLeadingFloat(std::get<std::string>(v_));
    case Type::Vector: return length(std::get<Vec3>(v_));
    case Type::None: return 0.0;
    default: return size() ? element(0).asFloat() : 0.0;
    }
}

std::string Value::asString() const {
    switch (type()) {
    case Type::Int: return formatInt(std::get<int>(v_));
    case Type::Float: return formatFloat(std::get<double>(v_));
    case Type::String: return std::get<std::string>(v_);
    case Type::Vector: return formatVector(std::get<Vec3>(v_));
    case Type::None: return std::string();
    default: return size() ? element(0).asString() : std::string();
    }
}

Vec3 Value::asVector() const {
    switch (type()) {
    case Type::Int:
    case Type::Float: {
        double d = asFloat();
        return Vec3{d, d, d};
    }
    case Type::String: return parseVector(std::get<std::string>(v_));
    case Type::Vector: return std::get<Vec3>(v_);
    case Type::None: return Vec3{};
    default: return size() ? element(0).asVector() : Vec3{};
    }
}

bool Value::asBool() const {
    switch (type()) {
    case Type::Int: return std::get<int>(v_) != 0;
    case Type::Float: return std::get<double>(v_) != 0.0;
    case Type::String: return !std::get<std::string>(v_).empty();
    case Type::Vector: return std::get<Vec3>(v_) != Vec3{};
    case Type::None: return false;
    default: return size() != 0;
    }
}

std::vector<int> Value::asIntArray() const {
    if (type() == Type::IntArray) return ints();
    std::vector<int> out;
    if (isArray()) {
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i) out.push_back(element(i).asInt());
    } else if (!isNone()) {
        out.push_back(asInt());
    }
    return out;
}

std::vector<double> Value::asFloatArray() const {
    if (type() == Type::FloatArray) return floats();
    std::vector<double> out;
    if (isArray()) {
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i) out.push_back(element(i).asFloat());
    } else if (!isNone()) {
        out.push_back(asFloat());
    }
    return out;
}

std::vector<std::string> Value::asStringArray() const {
    if (type() == Type::StringArray) return strings();
    std::vector<std::string> out;
    if (isArray()) {
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i) out.push_back(element(i).asString());
    } else if (!isNone()) {
        out.push_back(asString());
    }
    return out;
}

std::vector<Vec3> Value::asVectorArray() const {
    if (type() == Type::VectorArray) return vectors();
    std::vector<Vec3> out;
    if (isArray()) {
        out.reserve(size());
        for (std::size_t i = 0; i < size(); ++i) out.push_back(element(i).asVector());
    } else if (!isNone()) {
        out.push_back(asVector());
    }
    return out;
}

bool Value::convertTo(Type t, Value& out) const {
    if (type() == t) {
        out = *this;
        return true;
    }
    if (isNone()) {
        out = defaultOf(t);
        return true;
    }
    if (isArray() != isArrayType(t)) return false;
    out = convertedTo(t);
    return true;
}

Value Value::convertedTo(Type t) const {
    if (type() == t) return *this;
    switch (t) {
    case Type::None: return Value();
    case Type::Int: return Value(asInt());
    case Type::Float: return Value(asFloat());
    case Type::String: return Value(asString());
    case Type::Vector: return Value(asVector());
    case Type::IntArray: return Value(asIntArray());
    case Type::FloatArray: return Value(asFloatArray());
    case Type::StringArray: return Value(asStringArray());
    case Type::VectorArray: return Value(asVectorArray());
    }
    return Value();
}

std::size_t Value::size() const {
    switch (type()) {
    case Type::IntArray: return ints().size();
    case Type::FloatArray: return floats().size();
    case Type::StringArray: return strings().size();
    case Type::VectorArray: return vectors().size();
    default: return 0;
    }
}

Value Value::element(std::size_t i) const {
    switch (type()) {
    case Type::IntArray: return i < ints().size() ? Value(ints()[i]) : Value(0);
    case Type::FloatArray: return i < floats().size() ? Value(floats()[i]) : Value(0.0);
    case Type::StringArray: return i < strings().size() ? Value(strings()[i]) : Value(std::string());
    case Type::VectorArray: return i < vectors().size() ? Value(vectors()[i]) : Value(Vec3{});
    default: return *this;
    }
}

void Value::setElement(std::size_t i, const Value& v) {
    auto put = [i](auto& vec, auto&& x) {
        if (i >= vec.size()) vec.resize(i + 1);
        vec[i] = x;
    };
    switch (type()) {
    case Type::IntArray: put(ints(), v.asInt()); break;
    case Type::FloatArray: put(floats(), v.asFloat()); break;
    case Type::StringArray: put(strings(), v.asString()); break;
    case Type::VectorArray: put(vectors(), v.asVector()); break;
    default: *this = v.convertedTo(type()); break;
    }
}

void Value::clearArray() {
    switch (type()) {
    case Type::IntArray: ints().clear(); break;
    case Type::FloatArray: floats().clear(); break;
    case Type::StringArray: strings().clear(); break;
    case Type::VectorArray: vectors().clear(); break;
    default: break;
    }
}

std::string Value::printText() const {
    if (!isArray()) return asString();
    std::string out;
    for (std::size_t i = 0; i < size(); ++i) {
        out += element(i).asString();
        out += '\n';
    }
    return out;
}

}  // namespace host::mel
