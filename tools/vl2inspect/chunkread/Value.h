#pragma once
// Decoded field values of a chunk: numbers, texts, lists and records (named
// fields in file order). Small on purpose: enough to print a chunk, write it
// as JSON and let tests assert on single fields.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl2::chunkread {

class Value {
public:
    enum class Type { None, Int, Float, String, List, Record };

    Value() = default;
    static Value integer(std::int64_t v);
    static Value real(double v);
    static Value string(std::string v);
    static Value list();
    static Value record();

    Type type() const { return type_; }
    bool isNone() const { return type_ == Type::None; }
    bool isInt() const { return type_ == Type::Int; }
    bool isFloat() const { return type_ == Type::Float; }
    bool isNumber() const { return isInt() || isFloat(); }
    bool isString() const { return type_ == Type::String; }
    bool isList() const { return type_ == Type::List; }
    bool isRecord() const { return type_ == Type::Record; }

    // Scalars; a value of another type gives 0 or an empty text.
    std::int64_t asInt() const;
    double asDouble() const; // ints convert
    const std::string& asString() const;

    // Lists and records: items in order. Records also name each item.
    std::size_t size() const { return items_.size(); }
    const Value& operator[](std::size_t index) const; // None when out of range
    const std::vector<Value>& items() const { return items_; }
    const std::vector<std::string>& keys() const { return keys_; }

    // Record field by name; nullptr when absent or not a record.
    const Value* field(std::string_view name) const;
    // Dotted path of field names and list indices, "parts.0.vertices.2.uv".
    const Value* find(std::string_view path) const;

    // Building. push/add return the stored value for further filling.
    Value& push(Value v);
    Value& add(std::string name, Value v);

private:
    Type type_ = Type::None;
    std::int64_t int_ = 0;
    double real_ = 0.0;
    std::string text_;
    std::vector<Value> items_;
    std::vector<std::string> keys_;
};

} // namespace vl2::chunkread
