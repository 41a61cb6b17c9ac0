#pragma once
// MEL values: the scalar and array types of the language and the host's
// conversions between them.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace host::mel {

enum class Type {
    None,  // a command or proc that returns nothing
    Int,
    Float,
    String,
    Vector,
    IntArray,
    FloatArray,
    StringArray,
    VectorArray,
};

struct Vec3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Vec3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vec3& o) const { return !(*this == o); }
};

// The name MEL uses for a type: "int", "float", "string", "vector", "int[]" ...
const char* typeName(Type t);
bool isArrayType(Type t);
Type elementType(Type arrayType);  // int[] -> int ...; scalars map to themselves
Type arrayTypeOf(Type elemType);   // int -> int[] ...; arrays map to themselves

// Number formatting and parsing as the host does it.
std::string formatFloat(double v);        // %g-style: 0.333333, 1, 1e+10, -0.5
std::string formatInt(int v);
std::string formatVector(const Vec3& v);  // "1 2 3"
int parseLeadingInt(std::string_view s);        // "12abc" -> 12, "abc" -> 0, "3.9" -> 3
double parseLeadingFloat(std::string_view s);   // "1.5e2x" -> 150, "abc" -> 0
Vec3 parseVector(std::string_view s);           // up to three leading numbers

class Value {
public:
    Value() = default;  // None
    Value(int v) : v_(v) {}
    Value(bool v) : v_(v ? 1 : 0) {}
    Value(unsigned v) : v_(static_cast<int>(v)) {}
    Value(long v) : v_(static_cast<int>(v)) {}
    Value(unsigned long v) : v_(static_cast<int>(v)) {}
    Value(double v) : v_(v) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const Vec3& v) : v_(v) {}
    Value(std::vector<int> a) : v_(std::move(a)) {}
    Value(std::vector<double> a) : v_(std::move(a)) {}
    Value(std::vector<std::string> a) : v_(std::move(a)) {}
    Value(std::vector<Vec3> a) : v_(std::move(a)) {}

    // The default ("zero") value of a type: 0, 0.0, "", <<0,0,0>>, empty array.
    static Value defaultOf(Type t);

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isNone() const { return type() == Type::None; }
    bool isArray() const { return isArrayType(type()); }
    bool isNumber() const { return type() == Type::Int || type() == Type::Float; }
    bool isString() const { return type() == Type::String; }

    // Conversions, as assignment between MEL types does them. Scalars convert
    // freely (a string gives its leading number, a vector as a number is its
    // length); an array as a scalar is its first element (empty -> default).
    int asInt() const;
    double asFloat() const;
    std::string asString() const;
    Vec3 asVector() const;
    bool asBool() const;  // non-zero number, non-empty string, non-zero vector

    std::vector<int> asIntArray() const;
    std::vector<double> asFloatArray() const;
    std::vector<std::string> asStringArray() const;
    std::vector<Vec3> asVectorArray() const;

    // This value converted to type t (scalars to scalars, arrays element-wise
    // to arrays). Returns false, leaving out untouched, when the host refuses
    // the conversion (an array into a scalar or the reverse).
    bool convertTo(Type t, Value& out) const;
    Value convertedTo(Type t) const;  // like convertTo but never refuses:
                                      // a scalar becomes a one-element array

    // Direct access; the caller must know the type (checked in debug builds).
    int& intRef() { return std::get<int>(v_); }
    double& floatRef() { return std::get<double>(v_); }
    std::string& stringRef() { return std::get<std::string>(v_); }
    const std::string& stringRef() const { return std::get<std::string>(v_); }
    Vec3& vectorRef() { return std::get<Vec3>(v_); }
    std::vector<int>& ints() { return std::get<std::vector<int>>(v_); }
    std::vector<double>& floats() { return std::get<std::vector<double>>(v_); }
    std::vector<std::string>& strings() { return std::get<std::vector<std::string>>(v_); }
    std::vector<Vec3>& vectors() { return std::get<std::vector<Vec3>>(v_); }
    const std::vector<int>& ints() const { return std::get<std::vector<int>>(v_); }
    const std::vector<double>& floats() const { return std::get<std::vector<double>>(v_); }
    const std::vector<std::string>& strings() const { return std::get<std::vector<std::string>>(v_); }
    const std::vector<Vec3>& vectors() const { return std::get<std::vector<Vec3>>(v_); }

    // Arrays: element count (0 for scalars), element i as a scalar Value,
    // set element i growing the array (the gap gets default elements).
    std::size_t size() const;
    Value element(std::size_t i) const;
    void setElement(std::size_t i, const Value& v);
    void clearArray();

    // Text as `print` shows it: scalars as asString(), arrays one element per
    // line, each followed by a newline.
    std::string printText() const;

    bool operator==(const Value& o) const { return v_ == o.v_; }
    bool operator!=(const Value& o) const { return !(*this == o); }

private:
    std::variant<std::monostate, int, double, std::string, Vec3, std::vector<int>,
                 std::vector<double>, std::vector<std::string>, std::vector<Vec3>>
        v_;
};

}  // namespace host::mel
