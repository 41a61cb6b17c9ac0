#include "chunkread/Value.h"

#include <charconv>

namespace vl2::chunkread {

Value Value::integer(std::int64_t v)
{
    Value out;
    out.type_ = Type::Int;
    out.int_ = v;
    return out;
}

Value Value::real(double v)
{
    Value out;
    out.type_ = Type::Float;
    out.real_ = v;
    return out;
}

Value Value::string(std::string v)
{
    Value out;
    out.type_ = Type::String;
    out.text_ = std::move(v);
    return out;
}

Value Value::list()
{
    Value out;
    out.type_ = Type::List;
    return out;
}

Value Value::record()
{
    Value out;
    out.type_ = Type::Record;
    return out;
}

std::int64_t Value::asInt() const
{
    if (type_ == Type::Int)
        return int_;
    if (type_ == Type::Float)
        return static_cast<std::int64_t>(real_);
    return 0;
}

double Value::asDouble() const
{
    if (type_ == Type::Float)
        return real_;
    if (type_ == Type::Int)
        return static_cast<double>(int_);
    return 0.0;
}

const std::string& Value::asString() const
{
    static const std::string empty;
    return type_ == Type::String ? text_ : empty;
}

const Value& Value::operator[](std::size_t index) const
{
    static const Value none;
    return index < items_.size() ? items_[index] : none;
}

const Value* Value::field(std::string_view name) const
{
    if (type_ != Type::Record)
        return nullptr;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == name)
            return &items_[i];
    return nullptr;
}

const Value* Value::find(std::string_view path) const
{
    const Value* at = this;
    while (at != nullptr && !path.empty()) {
        const std::size_t dot = path.find('.');
        const std::string_view part = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        if (at->type_ == Type::List) {
            std::size_t index = 0;
            const auto result = std::from_chars(part.data(), part.data() + part.size(), index);
            if (result.ec != std::errc() || result.ptr != part.data() + part.size() || index >= at->items_.size())
                return nullptr;
            at = &at->items_[index];
        } else {
            at = at->field(part);
        }
    }
    return at;
}

Value& Value::push(Value v)
{
    items_.push_back(std::move(v));
    return items_.back();
}

Value& Value::add(std::string name, Value v)
{
    keys_.push_back(std::move(name));
    items_.push_back(std::move(v));
    return items_.back();
}

} // namespace vl2::chunkread
