#include "mel/command.h"

#include "mel/interpreter.h"

#include <cctype>

namespace host::mel {

namespace {

bool flagWord(const Value& v) {
    if (!v.isString()) return false;
    const std::string& s = v.stringRef();
    return s.size() >= 2 && s[0] == '-' && std::isalpha(static_cast<unsigned char>(s[1]));
}

std::string stripDash(const std::string& n) { return !n.empty() && n[0] == '-' ? n.substr(1) : n; }

// Numeric words typed in command syntax arrive as numbers; strings that hold a
// number (function syntax "1.5") are accepted too, as the host does.
bool looksNumeric(const std::string& s) {
    if (s.empty()) return false;
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    bool digit = false, dot = false;
    for (; i < s.size(); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.' && !dot) dot = true;
        else if ((c == 'e' || c == 'E') && digit) {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
            if (i >= s.size()) return false;
            for (; i < s.size(); ++i)
                if (s[i] < '0' || s[i] > '9') return false;
            return true;
        } else return false;
    }
    return digit;
}

}  // namespace

bool CommandContext::isFlag(std::size_t i) const { return i < args_.size() && flagWord(args_[i]); }

void CommandContext::print(const std::string& text) { interp_.print(text); }
void CommandContext::warning(const std::string& msg) { interp_.warning(msg); }
void CommandContext::error(const std::string& msg) { interp_.error(msg); }

bool parseBoolWord(const Value& v, bool& out) {
    if (v.isNumber()) {
        out = v.asFloat() != 0.0;
        return true;
    }
    if (!v.isString()) return false;
    const std::string& s = v.stringRef();
    if (s == "on" || s == "true" || s == "yes") out = true;
    else if (s == "off" || s == "false" || s == "no") out = false;
    else if (looksNumeric(s)) out = parseLeadingFloat(s) != 0.0;
    else return false;
    return true;
}

ArgParser& ArgParser::flag(const std::string& shortName, const std::string& longName,
                           std::initializer_list<ArgType> args, bool multiUse, bool queryArgs) {
    flags_.push_back(FlagSpec{stripDash(shortName), stripDash(longName), std::vector<ArgType>(args),
                              multiUse, queryArgs});
    return *this;
}

ArgParser& ArgParser::queryFlag(const std::string& shortName, const std::string& longName) {
    int i = find("-" + stripDash(shortName));
    if (i < 0) {
        flag(shortName, longName);
        i = static_cast<int>(flags_.size()) - 1;
    }
    queryIndex_ = i;
    return *this;
}

ArgParser& ArgParser::objects(int minCount, int maxCount) {
    minObjects_ = minCount;
    maxObjects_ = maxCount;
    return *this;
}

int ArgParser::find(const std::string& word) const {
    if (word.size() < 2 || word[0] != '-') return -1;
    std::string_view n(word.data() + 1, word.size() - 1);
    for (std::size_t i = 0; i < flags_.size(); ++i)
        if (flags_[i].shortName == n || flags_[i].longName == n) return static_cast<int>(i);
    return -1;
}

ParsedArgs ArgParser::parse(const std::vector<Value>& words) const {
    ParsedArgs out;
    out.parser_ = this;
    if (queryIndex_ >= 0) {
        for (const Value& w : words)
            if (flagWord(w) && find(w.stringRef()) == queryIndex_) out.query_ = true;
    }
    const std::string prefix = command_.empty() ? std::string() : command_ + ": ";
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Value& w = words[i];
        if (!flagWord(w)) {
            out.objects_.push_back(w);
            continue;
        }
        int fi = find(w.stringRef());
        if (fi < 0) throw CommandError(prefix + "Invalid flag '" + w.stringRef() + "'");
        const FlagSpec& spec = flags_[fi];
        if (!spec.multiUse && fi != queryIndex_) {
            for (const auto& u : out.uses_)
                if (u.flag == fi)
                    throw CommandError(prefix + "Flag '-" + spec.longName + "' can only be used once");
        }
        ParsedArgs::Use use{fi, {}};
        bool takesArgs = !(out.query_ && !spec.queryArgs);
        if (takesArgs) {
            if (words.size() - i - 1 < spec.args.size())
                throw CommandError(prefix + "Flag '-" + spec.longName + "' needs " +
                                   std::to_string(spec.args.size()) + " argument(s)");
            for (std::size_t a = 0; a < spec.args.size(); ++a) {
                const Value& v = words[i + 1 + a];
                ArgType t = spec.args[a];
                Value conv;
                bool ok = true;
                const char* want = "";
                switch (t) {
                case ArgType::Int:
                    want = "int";
                    ok = v.isNumber() || (v.isString() && looksNumeric(v.stringRef()));
                    if (ok) conv = Value(v.asInt());
                    break;
                case ArgType::Float:
                    want = "float";
                    ok = v.isNumber() || (v.isString() && looksNumeric(v.stringRef()));
                    if (ok) conv = Value(v.asFloat());
                    break;
                case ArgType::String:
                    want = "string";
                    ok = !v.isArray() && !v.isNone();
                    if (ok) conv = Value(v.asString());
                    break;
                case ArgType::Bool: {
                    want = "boolean";
                    bool b = false;
                    ok = parseBoolWord(v, b);
                    if (ok) conv = Value(b ? 1 : 0);
                    break;
                }
                case ArgType::Any: conv = v; break;
                }
                if (!ok)
                    throw CommandError(prefix + "Invalid argument " + std::to_string(a + 1) +
                                       " for flag '-" + spec.longName + "'. Expected " + want +
                                       ", got " + (v.isString() ? "string \"" + v.stringRef() + "\"" : std::string(typeName(v.type()))));
                use.args.push_back(std::move(conv));
            }
            i += spec.args.size();
        }
        out.uses_.push_back(std::move(use));
    }
    int n = static_cast<int>(out.objects_.size());
    if (n < minObjects_)
        throw CommandError(prefix + "Not enough objects or values.");
    if (maxObjects_ >= 0 && n > maxObjects_)
        throw CommandError(prefix + "Too many objects or values.");
    return out;
}

ParsedArgs ArgParser::parse(const CommandContext& ctx) const { return parse(ctx.args()); }

const ParsedArgs::Use* ParsedArgs::use(const std::string& name, std::size_t n) const {
    if (!parser_) return nullptr;
    int fi = parser_->find("-" + stripDash(name));
    if (fi < 0) throw CommandError("Unknown flag '" + name + "' queried");
    for (const auto& u : uses_)
        if (u.flag == fi && n-- == 0) return &u;
    return nullptr;
}

std::size_t ParsedArgs::useCount(const std::string& name) const {
    if (!parser_) return 0;
    int fi = parser_->find("-" + stripDash(name));
    std::size_t c = 0;
    for (const auto& u : uses_)
        if (u.flag == fi) ++c;
    if (fi >= 0 && fi == parser_->queryIndex_ && query_ && c == 0) c = 1;
    return c;
}

const Value& ParsedArgs::flagArg(const std::string& name, std::size_t argIndex, std::size_t n) const {
    const Use* u = use(name, n);
    if (!u || argIndex >= u->args.size())
        throw CommandError("Flag '-" + stripDash(name) + "' has no argument " + std::to_string(argIndex + 1));
    return u->args[argIndex];
}

int ParsedArgs::flagInt(const std::string& name, std::size_t a, std::size_t n) const {
    return flagArg(name, a, n).asInt();
}
double ParsedArgs::flagFloat(const std::string& name, std::size_t a, std::size_t n) const {
    return flagArg(name, a, n).asFloat();
}
std::string ParsedArgs::flagString(const std::string& name, std::size_t a, std::size_t n) const {
    return flagArg(name, a, n).asString();
}
bool ParsedArgs::flagBool(const std::string& name, std::size_t a, std::size_t n) const {
    return flagArg(name, a, n).asInt() != 0;
}
std::string ParsedArgs::flagStringOr(const std::string& name, const std::string& def) const {
    const Use* u = use(name, 0);
    return u && !u->args.empty() ? u->args[0].asString() : def;
}
int ParsedArgs::flagIntOr(const std::string& name, int def) const {
    const Use* u = use(name, 0);
    return u && !u->args.empty() ? u->args[0].asInt() : def;
}
double ParsedArgs::flagFloatOr(const std::string& name, double def) const {
    const Use* u = use(name, 0);
    return u && !u->args.empty() ? u->args[0].asFloat() : def;
}

}  // namespace host::mel
