// Built-in commands that need no scene.
#include "mel/impl.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <regex>

namespace host::mel {

namespace {

constexpr double kPi = 3.14159265358979323846;

void argCount(CommandContext& c, std::size_t lo, std::size_t hi) {
    if (c.argCount() < lo || c.argCount() > hi)
        throw CommandError("Wrong number of arguments on call to " + c.name() + ".");
}
void argCount(CommandContext& c, std::size_t n) { argCount(c, n, n); }

std::string joinWords(const std::vector<Value>& args, std::size_t from) {
    std::string s;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (i > from) s += ' ';
        s += args[i].asString();
    }
    return s;
}

// Glob match with * ? [set] and backslash escapes.
bool globMatch(const char* p, const char* s) {
    for (; *p; ++p, ++s) {
        switch (*p) {
        case '*':
            while (p[1] == '*') ++p;
            if (!p[1]) return true;
            for (; *s; ++s)
                if (globMatch(p + 1, s)) return true;
            return globMatch(p + 1, s);
        case '?':
            if (!*s) return false;
            break;
        case '[': {
            if (!*s) return false;
            const char* q = p + 1;
            bool neg = *q == '!' || *q == '^';
            if (neg) ++q;
            bool hit = false;
            const char* start = q;
            while (*q && (*q != ']' || q == start)) {
                if (q[1] == '-' && q[2] && q[2] != ']') {
                    if (*s >= q[0] && *s <= q[2]) hit = true;
                    q += 3;
                } else {
                    if (*s == *q) hit = true;
                    ++q;
                }
            }
            if (!*q) return *s == '[' && globMatch(p + 1, s + 1);  // no closing ']': literal
            if (hit == neg) return false;
            p = q;
            break;
        }
        case '\\':
            if (p[1]) ++p;
            [[fallthrough]];
        default:
            if (*s != *p) return false;
        }
    }
    return !*s;
}

std::regex makeRegex(CommandContext& c, const std::string& re) {
    try {
        return std::regex(re, std::regex::extended);
    } catch (const std::regex_error&) {
        throw CommandError(c.name() + ": Invalid regular expression \"" + re + "\".");
    }
}

}  // namespace

void registerBuiltins(Interpreter& in, Interpreter::Impl& impl) {
    Interpreter::Impl* I = &impl;
    auto reg = [&in](const char* name, CommandFn fn) { in.registerCommand(name, std::move(fn)); };

    // ---- output and errors
    reg("print", [](CommandContext& c) {
        argCount(c, 1);
        c.print(c.arg(0).printText());
        return Value();
    });
    reg("trace", [](CommandContext& c) {
        c.print(joinWords(c.args(), 0) + "\n");
        return Value();
    });
    reg("error", [](CommandContext& c) -> Value {
        ArgParser p("error");
        p.flag("sl", "showLineNumber", {ArgType::Bool}).flag("n", "noContext");
        ParsedArgs a = p.parse(c);
        throw CommandError(joinWords(a.objects(), 0));
    });
    reg("warning", [I](CommandContext& c) {
        ArgParser p("warning");
        p.flag("sl", "showLineNumber", {ArgType::Bool}).flag("n", "noContext");
        ParsedArgs a = p.parse(c);
        c.warning(I->location() + joinWords(a.objects(), 0));
        return Value();
    });

    // ---- evaluation
    reg("eval", [I](CommandContext& c) {
        static const std::string none;
        std::string text = c.argCount() == 1 ? c.arg(0).asString() : joinWords(c.args(), 0);
        return I->runText(text, none);
    });
    reg("evalDeferred", [](CommandContext& c) {
        std::size_t i = 0;
        while (i < c.argCount() && c.isFlag(i)) {
            const std::string& f = c.arg(i).stringRef();
            if (f != "-lp" && f != "-lowestPriority" && f != "-en" && f != "-evaluateNext")
                throw CommandError("evalDeferred: Invalid flag '" + f + "'");
            ++i;
        }
        if (i >= c.argCount()) throw CommandError("evalDeferred: No command given.");
        c.interpreter().evalDeferred(i + 1 == c.argCount() ? c.arg(i).asString() : joinWords(c.args(), i));
        return Value();
    });
    reg("source", [I](CommandContext& c) {
        argCount(c, 1);
        return I->sourceScript(c.arg(0).asString());
    });
    // Evaluated by the interpreter itself; these entries answer `exists` and
    // calls made with already evaluated arguments.
    reg("catch", [](CommandContext&) { return Value(0); });
    reg("catchQuiet", [](CommandContext&) { return Value(0); });
    reg("clear", [](CommandContext&) -> Value { throw CommandError("clear: needs an array variable."); });
    reg("tokenize", [](CommandContext&) -> Value {
        throw CommandError("tokenize: needs a string array variable.");
    });
    reg("exists", [I](CommandContext& c) {
        argCount(c, 1);
        std::string n = c.arg(0).asString();
        return Value(I->procs.count(n) || I->commands.count(n));
    });
    reg("whatIs", [I](CommandContext& c) {
        argCount(c, 1);
        std::string n = c.arg(0).asString();
        if (!n.empty() && n[0] == '$') {
            Var* v = I->lookup(std::string_view(n).substr(1));
            if (!v) {
                auto g = I->globals.find(n.substr(1));
                if (g != I->globals.end()) v = &g->second;
            }
            return Value(v ? std::string(typeName(v->type)) + " variable" : std::string("Unknown"));
        }
        auto p = I->procs.find(n);
        if (p != I->procs.end())
            return Value(p->second->file.empty() ? std::string("Mel procedure entered interactively.")
                                                 : "Mel procedure found in: " + p->second->file);
        if (I->commands.count(n)) return Value("Command");
        return Value("Unknown");
    });

    // ---- strings
    reg("size", [](CommandContext& c) {
        argCount(c, 1);
        const Value& v = c.arg(0);
        if (v.isArray()) return Value(static_cast<int>(v.size()));
        return Value(static_cast<int>(v.asString().size()));
    });
    reg("strcmp", [](CommandContext& c) {
        argCount(c, 2);
        int r = c.arg(0).asString().compare(c.arg(1).asString());
        return Value(r < 0 ? -1 : r > 0 ? 1 : 0);
    });
    // Text as a MEL string literal's contents: quotes, backslashes and control characters escaped.
    reg("encodeString", [](CommandContext& c) {
        argCount(c, 1);
        std::string out;
        for (char ch : c.arg(0).asString()) {
            switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += ch;
            }
        }
        return Value(out);
    });
    reg("toupper", [](CommandContext& c) {
        argCount(c, 1);
        std::string s = c.arg(0).asString();
        for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return Value(s);
    });
    reg("tolower", [](CommandContext& c) {
        argCount(c, 1);
        std::string s = c.arg(0).asString();
        for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return Value(s);
    });
    reg("substring", [](CommandContext& c) {
        argCount(c, 3);
        std::string s = c.arg(0).asString();
        long b = c.arg(1).asInt(), e = c.arg(2).asInt();
        if (b < 1) b = 1;
        if (e > static_cast<long>(s.size())) e = static_cast<long>(s.size());
        if (b > e) return Value(std::string());
        return Value(s.substr(b - 1, e - b + 1));
    });
    reg("strip", [](CommandContext& c) {
        argCount(c, 1);
        std::string s = c.arg(0).asString();
        std::size_t b = s.find_first_not_of(" \t\n\r");
        if (b == std::string::npos) return Value(std::string());
        std::size_t e = s.find_last_not_of(" \t\n\r");
        return Value(s.substr(b, e - b + 1));
    });
    reg("startsWith", [](CommandContext& c) {
        argCount(c, 2);
        std::string s = c.arg(0).asString(), p = c.arg(1).asString();
        return Value(s.compare(0, p.size(), p) == 0 && s.size() >= p.size());
    });
    reg("endsWith", [](CommandContext& c) {
        argCount(c, 2);
        std::string s = c.arg(0).asString(), p = c.arg(1).asString();
        return Value(s.size() >= p.size() && s.compare(s.size() - p.size(), p.size(), p) == 0);
    });
    reg("substituteAllString", [](CommandContext& c) {
        argCount(c, 3);
        std::string s = c.arg(0).asString(), from = c.arg(1).asString(), to = c.arg(2).asString();
        if (from.empty()) return Value(s);
        std::string out;
        std::size_t i = 0;
        for (std::size_t j; (j = s.find(from, i)) != std::string::npos; i = j + from.size()) {
            out.append(s, i, j - i);
            out += to;
        }
        out.append(s, i, std::string::npos);
        return Value(out);
    });
    reg("match", [](CommandContext& c) {
        argCount(c, 2);
        std::regex re = makeRegex(c, c.arg(0).asString());
        std::string s = c.arg(1).asString();
        std::smatch m;
        if (std::regex_search(s, m, re)) return Value(m.str(0));
        return Value(std::string());
    });
    reg("substitute", [](CommandContext& c) {
        argCount(c, 3);
        std::regex re = makeRegex(c, c.arg(0).asString());
        std::string s = c.arg(1).asString();
        std::smatch m;
        if (!std::regex_search(s, m, re)) return Value(s);
        return Value(m.prefix().str() + c.arg(2).asString() + m.suffix().str());
    });
    reg("gmatch", [](CommandContext& c) {
        argCount(c, 2);
        std::string s = c.arg(0).asString(), p = c.arg(1).asString();
        return Value(globMatch(p.c_str(), s.c_str()));
    });
    reg("format", [](CommandContext& c) {
        ArgParser p("format");
        p.flag("s", "stringArg", {ArgType::String}, true).objects(1, 1);
        ParsedArgs a = p.parse(c);
        std::string f = a.objects()[0].asString(), out;
        std::size_t n = a.useCount("s");
        for (std::size_t i = 0; i < f.size(); ++i) {
            if (f[i] == '^' && i + 2 < f.size() + 1 && std::isdigit(static_cast<unsigned char>(f[i + 1]))) {
                std::size_t j = i + 1;
                std::size_t k = 0;
                while (j < f.size() && std::isdigit(static_cast<unsigned char>(f[j]))) k = k * 10 + (f[j++] - '0');
                if (j < f.size() && f[j] == 's' && k >= 1 && k <= n) {
                    out += a.flagString("s", 0, k - 1);
                    i = j;
                    continue;
                }
            }
            out += f[i];
        }
        return Value(out);
    });
    reg("stringArrayCount", [](CommandContext& c) {
        argCount(c, 2);
        std::string item = c.arg(0).asString();
        auto arr = c.arg(1).asStringArray();
        return Value(static_cast<int>(std::count(arr.begin(), arr.end(), item)));
    });
    reg("stringArrayContains", [](CommandContext& c) {
        argCount(c, 2);
        std::string item = c.arg(0).asString();
        auto arr = c.arg(1).asStringArray();
        return Value(std::find(arr.begin(), arr.end(), item) != arr.end());
    });
    reg("stringArrayRemove", [](CommandContext& c) {
        argCount(c, 2);
        auto rem = c.arg(0).asStringArray();
        auto arr = c.arg(1).asStringArray();
        std::vector<std::string> out;
        for (auto& s : arr)
            if (std::find(rem.begin(), rem.end(), s) == rem.end()) out.push_back(s);
        return Value(std::move(out));
    });
    reg("stringArrayCatenate", [](CommandContext& c) {
        argCount(c, 2);
        auto a = c.arg(0).asStringArray();
        auto b = c.arg(1).asStringArray();
        a.insert(a.end(), b.begin(), b.end());
        return Value(std::move(a));
    });
    reg("stringArrayToString", [](CommandContext& c) {
        argCount(c, 2);
        auto arr = c.arg(0).asStringArray();
        std::string sep = c.arg(1).asString(), out;
        for (std::size_t i = 0; i < arr.size(); ++i) out += (i ? sep : std::string()) + arr[i];
        return Value(out);
    });
    reg("stringToStringArray", [](CommandContext& c) {
        argCount(c, 2);
        std::string s = c.arg(0).asString(), seps = c.arg(1).asString();
        std::vector<std::string> out;
        std::size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && seps.find(s[i]) != std::string::npos) ++i;
            std::size_t b = i;
            while (i < s.size() && seps.find(s[i]) == std::string::npos) ++i;
            if (i > b) out.push_back(s.substr(b, i - b));
        }
        return Value(std::move(out));
    });
    reg("sort", [](CommandContext& c) {
        argCount(c, 1);
        Value v = c.arg(0);
        switch (v.type()) {
        case Type::IntArray: std::sort(v.ints().begin(), v.ints().end()); break;
        case Type::FloatArray: std::sort(v.floats().begin(), v.floats().end()); break;
        case Type::StringArray: std::sort(v.strings().begin(), v.strings().end()); break;
        default: throw CommandError("sort: The argument must be an int, float or string array.");
        }
        return v;
    });

    // ---- math
    reg("abs", [](CommandContext& c) {
        argCount(c, 1);
        const Value& v = c.arg(0);
        if (v.type() == Type::Int) return Value(v.asInt() < 0 ? -v.asInt() : v.asInt());
        if (v.type() == Type::Vector) {
            Vec3 x = v.asVector();
            return Value(Vec3{std::fabs(x.x), std::fabs(x.y), std::fabs(x.z)});
        }
        return Value(std::fabs(v.asFloat()));
    });
    auto unaryMath = [&](const char* name, double (*f)(double)) {
        reg(name, [f](CommandContext& c) {
            argCount(c, 1);
            return Value(f(c.arg(0).asFloat()));
        });
    };
    unaryMath("floor", [](double x) { return std::floor(x); });
    unaryMath("ceil", [](double x) { return std::ceil(x); });
    unaryMath("trunc", [](double x) { return std::trunc(x); });
    unaryMath("sqrt", [](double x) { return std::sqrt(x); });
    unaryMath("sin", [](double x) { return std::sin(x); });
    unaryMath("cos", [](double x) { return std::cos(x); });
    unaryMath("tan", [](double x) { return std::tan(x); });
    unaryMath("asin", [](double x) { return std::asin(x); });
    unaryMath("acos", [](double x) { return std::acos(x); });
    unaryMath("atan", [](double x) { return std::atan(x); });
    unaryMath("exp", [](double x) { return std::exp(x); });
    unaryMath("log", [](double x) { return std::log(x); });
    unaryMath("deg_to_rad", [](double x) { return x * kPi / 180.0; });
    unaryMath("rad_to_deg", [](double x) { return x * 180.0 / kPi; });
    reg("atan2", [](CommandContext& c) {
        argCount(c, 2);
        return Value(std::atan2(c.arg(0).asFloat(), c.arg(1).asFloat()));
    });
    reg("pow", [](CommandContext& c) {
        argCount(c, 2);
        return Value(std::pow(c.arg(0).asFloat(), c.arg(1).asFloat()));
    });
    reg("min", [](CommandContext& c) {
        argCount(c, 2);
        if (c.arg(0).type() == Type::Int && c.arg(1).type() == Type::Int)
            return Value(std::min(c.arg(0).asInt(), c.arg(1).asInt()));
        return Value(std::min(c.arg(0).asFloat(), c.arg(1).asFloat()));
    });
    reg("max", [](CommandContext& c) {
        argCount(c, 2);
        if (c.arg(0).type() == Type::Int && c.arg(1).type() == Type::Int)
            return Value(std::max(c.arg(0).asInt(), c.arg(1).asInt()));
        return Value(std::max(c.arg(0).asFloat(), c.arg(1).asFloat()));
    });
    reg("clamp", [](CommandContext& c) {
        argCount(c, 3);
        double lo = c.arg(0).asFloat(), hi = c.arg(1).asFloat(), v = c.arg(2).asFloat();
        double r = v < lo ? lo : v > hi ? hi : v;
        bool ints = c.arg(0).type() == Type::Int && c.arg(1).type() == Type::Int && c.arg(2).type() == Type::Int;
        return ints ? Value(static_cast<int>(r)) : Value(r);
    });
    reg("rand", [I](CommandContext& c) {
        argCount(c, 1, 2);
        auto uni = [I](double lo, double hi) {
            std::uniform_real_distribution<double> d(0.0, 1.0);
            return lo + (hi - lo) * d(I->rng);
        };
        if (c.argCount() == 1 && c.arg(0).type() == Type::Vector) {
            Vec3 m = c.arg(0).asVector();
            return Value(Vec3{uni(0, m.x), uni(0, m.y), uni(0, m.z)});
        }
        if (c.argCount() == 1) return Value(uni(0, c.arg(0).asFloat()));
        if (c.arg(0).type() == Type::Vector || c.arg(1).type() == Type::Vector) {
            Vec3 a = c.arg(0).asVector(), b = c.arg(1).asVector();
            return Value(Vec3{uni(a.x, b.x), uni(a.y, b.y), uni(a.z, b.z)});
        }
        return Value(uni(c.arg(0).asFloat(), c.arg(1).asFloat()));
    });
    reg("seed", [](CommandContext& c) {
        argCount(c, 1);
        c.interpreter().seedRandom(static_cast<unsigned>(c.arg(0).asInt()));
        return Value();
    });

    // ---- environment and host
    reg("getenv", [](CommandContext& c) {
        argCount(c, 1);
        const char* v = std::getenv(c.arg(0).asString().c_str());
        return Value(std::string(v ? v : ""));
    });
    reg("putenv", [](CommandContext& c) {
        argCount(c, 2);
        std::string n = c.arg(0).asString();
        if (n.empty() || n.find('=') != std::string::npos) throw CommandError("putenv: Invalid variable name \"" + n + "\".");
        ::setenv(n.c_str(), c.arg(1).asString().c_str(), 1);
        return Value();
    });
    reg("about", [](CommandContext& c) {
        ArgParser p("about");
        p.flag("b", "batch").flag("v", "version").flag("api", "apiVersion").flag("os", "operatingSystem")
            .flag("li", "linux").flag("nt", "windows").flag("win", "win64").flag("mac", "macOS")
            .flag("x64", "is64").flag("p", "product").objects(0, 0);
        ParsedArgs a = p.parse(c);
        if (a.isSet("batch")) return Value(1);
        if (a.isSet("version")) return Value("5.0");
        if (a.isSet("apiVersion")) return Value(500);
        if (a.isSet("operatingSystem")) return Value("linux64");
        if (a.isSet("linux")) return Value(1);
        if (a.isSet("windows") || a.isSet("win64") || a.isSet("macOS")) return Value(0);
        if (a.isSet("is64")) return Value(1);
        if (a.isSet("product")) return Value("vl2batch host 5.0");
        throw CommandError("about: No flag given.");
    });
    reg("confirmDialog", [](CommandContext& c) {
        ArgParser p("confirmDialog");
        p.flag("t", "title", {ArgType::String}).flag("m", "message", {ArgType::String})
            .flag("b", "button", {ArgType::String}, true).flag("db", "defaultButton", {ArgType::String})
            .flag("cb", "cancelButton", {ArgType::String}).flag("ds", "dismissString", {ArgType::String})
            .flag("ma", "messageAlign", {ArgType::String}).flag("p", "parent", {ArgType::String})
            .flag("icn", "icon", {ArgType::String}).objects(0, 0);
        ParsedArgs a = p.parse(c);
        c.print("confirmDialog: " + a.flagStringOr("title", "Confirm") + ": " + a.flagStringOr("message", "") + "\n");
        if (a.isSet("defaultButton")) return Value(a.flagString("defaultButton"));
        if (a.isSet("button")) return Value(a.flagString("button"));
        return Value(a.flagStringOr("dismissString", ""));
    });
}

}  // namespace host::mel
