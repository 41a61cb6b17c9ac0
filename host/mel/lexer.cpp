#include "mel/impl.h"

#include <charconv>
#include <cstdint>

namespace host::mel {

std::string formatLocation(const std::string& file, int line) {
    if (file.empty()) return "line " + std::to_string(line) + ": ";
    return "file: " + file + " line " + std::to_string(line) + ": ";
}

namespace {

inline bool identStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool identChar(char c) { return identStart(c) || (c >= '0' && c <= '9'); }
inline bool digit(char c) { return c >= '0' && c <= '9'; }

// Scans a decimal number at s[i]; returns its length and whether it is a float.
std::size_t scanNumber(std::string_view s, std::size_t i, bool& isFloat) {
    std::size_t b = i;
    isFloat = false;
    std::size_t nd = 0;
    while (i < s.size() && digit(s[i])) ++i, ++nd;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1, fd = 0;
        while (j < s.size() && digit(s[j])) ++j, ++fd;
        if (nd + fd == 0) return 0;
        isFloat = true;
        i = j;
        nd += fd;
    }
    if (nd == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && digit(s[j])) {
            while (j < s.size() && digit(s[j])) ++j;
            isFloat = true;
            i = j;
        }
    }
    return i - b;
}

// Numeric text to a Value: ints that do not fit become floats.
Value numberValue(std::string_view t, bool isFloat, bool negative) {
    if (!isFloat) {
        std::int64_t v = 0;
        auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (r.ec == std::errc() && r.ptr == t.data() + t.size()) {
            if (negative) v = -v;
            if (v >= INT32_MIN && v <= INT32_MAX) return Value(static_cast<int>(v));
        }
    }
    double d = 0;
    std::from_chars(t.data(), t.data() + t.size(), d);
    return Value(negative ? -d : d);
}

}  // namespace

bool numericWord(std::string_view w, Value& out) {
    if (w.empty()) return false;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        unsigned v = 0;
        auto r = std::from_chars(w.data() + 2, w.data() + w.size(), v, 16);
        if (r.ec != std::errc() || r.ptr != w.data() + w.size()) return false;
        out = Value(static_cast<int>(v));
        return true;
    }
    std::size_t i = 0;
    bool neg = false;
    if (w[0] == '-' || w[0] == '+') {
        neg = w[0] == '-';
        i = 1;
    }
    bool isFloat = false;
    std::size_t n = scanNumber(w, i, isFloat);
    if (n == 0 || i + n != w.size()) return false;
    out = numberValue(w.substr(i), isFloat, neg);
    return true;
}

void Lexer::fail(int line, const std::string& msg) const {
    throw MelError{formatLocation(file_, line) + msg};
}

void Lexer::skipSpace() {
    const std::size_t n = src_.size();
    while (pos_ < n) {
        char c = src_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++pos_;
        } else if (c == '/' && pos_ + 1 < n && src_[pos_ + 1] == '/') {
            pos_ += 2;
            while (pos_ < n && src_[pos_] != '\n') ++pos_;
        } else if (c == '/' && pos_ + 1 < n && src_[pos_ + 1] == '*') {
            int start = line_;
            pos_ += 2;
            for (;;) {
                if (pos_ + 1 >= n) fail(start, "Unterminated comment.");
                if (src_[pos_] == '*' && src_[pos_ + 1] == '/') {
                    pos_ += 2;
                    break;
                }
                if (src_[pos_] == '\n') ++line_;
                ++pos_;
            }
        } else {
            break;
        }
    }
}

char Lexer::peekChar() {
    try {
        skipSpace();
    } catch (const MelError&) {
        return '\0';
    }
    return pos_ < src_.size() ? src_[pos_] : '\0';
}

std::string_view Lexer::lexString(int startLine) {
    // Fast path: no escapes, the contents are a view of the source.
    const std::size_t n = src_.size();
    std::size_t b = pos_;
    while (pos_ < n && src_[pos_] != '"' && src_[pos_] != '\\' && src_[pos_] != '\n') ++pos_;
    if (pos_ < n && src_[pos_] == '"') {
        return src_.substr(b, pos_++ - b);
    }
    strbuf_.assign(src_.data() + b, pos_ - b);
    for (;;) {
        if (pos_ >= n || src_[pos_] == '\n') fail(startLine, "Unterminated string.");
        char c = src_[pos_++];
        if (c == '"') break;
        if (c == '\\') {
            if (pos_ >= n) fail(startLine, "Unterminated string.");
            char e = src_[pos_++];
            switch (e) {
            case 'n': strbuf_ += '\n'; break;
            case 't': strbuf_ += '\t'; break;
            case 'r': strbuf_ += '\r'; break;
            case '\n': ++line_; break;  // line continuation
            default: strbuf_ += e; break;
            }
        } else {
            strbuf_ += c;
        }
    }
    return strbuf_;
}

void Lexer::next() {
    try {
        lexToken();
    } catch (MelError& e) {
        errbuf_ = std::move(e.msg);
        tok.kind = Tok::Error;
        tok.text = errbuf_;
        pos_ = src_.size();
    }
}

void Lexer::lexToken() {
    skipSpace();
    tok.begin = pos_;
    tok.line = line_;
    const std::size_t n = src_.size();
    if (pos_ >= n) {
        tok.kind = Tok::End;
        tok.op = 0;
        return;
    }
    char c = src_[pos_];
    if (identStart(c)) {
        std::size_t b = pos_;
        while (pos_ < n && identChar(src_[pos_])) ++pos_;
        tok.kind = Tok::Ident;
        tok.text = src_.substr(b, pos_ - b);
        return;
    }
    if (c == '$' && pos_ + 1 < n && identStart(src_[pos_ + 1])) {
        std::size_t b = ++pos_;
        while (pos_ < n && identChar(src_[pos_])) ++pos_;
        tok.kind = Tok::Var;
        tok.text = src_.substr(b, pos_ - b);
        return;
    }
    if (digit(c) || (c == '.' && pos_ + 1 < n && digit(src_[pos_ + 1]))) {
        if (c == '0' && pos_ + 2 < n && (src_[pos_ + 1] == 'x' || src_[pos_ + 1] == 'X')) {
            std::size_t b = pos_ + 2, e = b;
            unsigned v = 0;
            auto r = std::from_chars(src_.data() + b, src_.data() + n, v, 16);
            e = static_cast<std::size_t>(r.ptr - src_.data());
            if (e > b) {
                pos_ = e;
                tok.kind = Tok::Int;
                tok.ival = static_cast<int>(v);
                return;
            }
        }
        bool isFloat = false;
        std::size_t len = scanNumber(src_, pos_, isFloat);
        Value v = numberValue(src_.substr(pos_, len), isFloat, false);
        pos_ += len;
        if (v.type() == Type::Int) {
            tok.kind = Tok::Int;
            tok.ival = v.intRef();
        } else {
            tok.kind = Tok::Float;
            tok.fval = v.floatRef();
        }
        return;
    }
    if (c == '"') {
        ++pos_;
        tok.text = lexString(tok.line);
        tok.kind = Tok::Str;
        return;
    }
    if (c == '`') {
        ++pos_;
        tok.kind = Tok::Backquote;
        return;
    }
    tok.kind = Tok::Op;
    char d = pos_ + 1 < n ? src_[pos_ + 1] : '\0';
    int op = 0;
    switch (c) {
    case '=': op = d == '=' ? OpEq : 0; break;
    case '!': op = d == '=' ? OpNe : 0; break;
    case '<': op = d == '=' ? OpLe : d == '<' ? OpVecOpen : 0; break;
    case '>': op = d == '=' ? OpGe : d == '>' ? OpVecClose : 0; break;
    case '&': op = d == '&' ? OpAnd : 0; break;
    case '|': op = d == '|' ? OpOr : 0; break;
    case '+': op = d == '=' ? OpAddAssign : d == '+' ? OpInc : 0; break;
    case '-': op = d == '=' ? OpSubAssign : d == '-' ? OpDec : 0; break;
    case '*': op = d == '=' ? OpMulAssign : 0; break;
    case '/': op = d == '=' ? OpDivAssign : 0; break;
    default: break;
    }
    if (op) {
        pos_ += 2;
        tok.op = op;
    } else {
        ++pos_;
        tok.op = static_cast<unsigned char>(c);
    }
}

Lexer::Word Lexer::word(Value& literal, bool inBackquote) {
    skipSpace();
    const std::size_t n = src_.size();
    if (pos_ >= n) return Word::End;
    char c = src_[pos_];
    switch (c) {
    case ';':
    case '}':
    case ')':
        return Word::End;
    case '`':
        return inBackquote ? Word::End : Word::Expr;
    case '$':
    case '(':
    case '{':
        return Word::Expr;
    case '"': {
        int l = line_;
        ++pos_;
        std::string_view s = lexString(l);
        if (literal.type() == Type::String) literal.stringRef().assign(s.data(), s.size());
        else literal = Value(std::string(s));
        return Word::Literal;
    }
    case '<':
        if (pos_ + 1 < n && src_[pos_ + 1] == '<') return Word::Expr;
        break;
    default:
        break;
    }
    std::size_t b = pos_;
    while (pos_ < n) {
        char ch = src_[pos_];
        if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == ';' || ch == '`' ||
            ch == '"' || ch == '}' || ch == ')')
            break;
        ++pos_;
    }
    std::string_view w = src_.substr(b, pos_ - b);
    char f = w[0];
    if ((digit(f) || f == '-' || f == '+' || f == '.') && numericWord(w, literal)) return Word::Literal;
    if (literal.type() == Type::String) literal.stringRef().assign(w.data(), w.size());
    else literal = Value(std::string(w));
    return Word::Literal;
}

}  // namespace host::mel
