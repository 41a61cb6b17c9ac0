#include "files/ma_reader.h"

#include "files/ma_bulk.h"
#include "mel/impl.h"
#include "mel/interpreter.h"
#include "scene/commands/cmd_common.h"
#include "scene/commands/file_records.h"
#include "scene/commands/scene_commands.h"

#include <charconv>
#include <cstdio>
#include <deque>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace host::files {

namespace {

using host::mel::Value;

constexpr int kMaxNesting = 64;

bool identStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool identChar(char c) { return identStart(c) || (c >= '0' && c <= '9'); }
bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

struct ReadError {
    int line;
    std::string msg;
};

using Word = MaWord;

class Reader {
public:
    Reader(std::string_view src, const std::string& name) : src_(src), name_(name) {}

    MaReadResult run();

private:
    // ---- scanning
    char peek(std::size_t k = 0) const { return pos_ + k < src_.size() ? src_[pos_ + k] : '\0'; }
    bool atEnd() const { return pos_ >= src_.size(); }
    void skipSpaceAndComments();
    std::string_view quotedString(int startLine);
    bool concatenation(std::string_view& out);
    void statementWords(int startLine);
    void fallback(std::size_t begin, int startLine);

    // ---- running
    void dispatch(const std::string& name, int line);
    [[noreturn]] void fail(int line, const std::string& msg) { throw ReadError{line, msg}; }

    std::string_view src_;
    std::string name_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int stmtLine_ = 1;

    std::vector<Word> words_;
    std::deque<std::string> owned_;  // unescaped strings of the current statement
    std::size_t ownedUsed_ = 0;
    std::vector<Value> values_;
    std::vector<double> numbers_;
};

void Reader::skipSpaceAndComments() {
    const std::size_t n = src_.size();
    while (pos_ < n) {
        char c = src_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (space(c)) {
            ++pos_;
        } else if (c == '/' && pos_ + 1 < n && src_[pos_ + 1] == '/') {
            while (pos_ < n && src_[pos_] != '\n') ++pos_;
        } else if (c == '/' && pos_ + 1 < n && src_[pos_ + 1] == '*') {
            int start = line_;
            pos_ += 2;
            while (pos_ + 1 < n && !(src_[pos_] == '*' && src_[pos_ + 1] == '/')) {
                if (src_[pos_] == '\n') ++line_;
                ++pos_;
            }
            if (pos_ + 1 >= n) fail(start, "Unterminated comment.");
            pos_ += 2;
        } else {
            return;
        }
    }
}

// After the opening quote. Views the source when there are no escapes.
std::string_view Reader::quotedString(int startLine) {
    const std::size_t n = src_.size();
    std::size_t b = pos_;
    while (pos_ < n && src_[pos_] != '"' && src_[pos_] != '\\' && src_[pos_] != '\n') ++pos_;
    if (pos_ < n && src_[pos_] == '"') return src_.substr(b, pos_++ - b);
    if (ownedUsed_ == owned_.size()) owned_.emplace_back();
    std::string& s = owned_[ownedUsed_++];
    s.assign(src_.data() + b, pos_ - b);
    for (;;) {
        if (pos_ >= n || src_[pos_] == '\n') fail(startLine, "Unterminated string.");
        char c = src_[pos_++];
        if (c == '"') break;
        if (c != '\\') {
            s += c;
            continue;
        }
        if (pos_ >= n) fail(startLine, "Unterminated string.");
        char e = src_[pos_++];
        switch (e) {
        case 'n': s += '\n'; break;
        case 't': s += '\t'; break;
        case 'r': s += '\r'; break;
        case '\n': ++line_; break;  // line continuation
        default: s += e; break;
        }
    }
    return s;
}

// ( "a" + "b" ... ): how long strings are written. False (position
// unchanged) when the parentheses hold anything else.
bool Reader::concatenation(std::string_view& out) {
    std::size_t savePos = pos_;
    int saveLine = line_;
    std::size_t saveOwned = ownedUsed_;
    ++pos_;  // '('
    std::string joined;
    bool first = true;
    for (;;) {
        skipSpaceAndComments();
        if (!first) {
            if (peek() == ')') {
                ++pos_;
                break;
            }
            if (peek() != '+') break;
            ++pos_;
            skipSpaceAndComments();
        }
        if (peek() != '"') {
            first = true;  // marks failure below
            joined.clear();
            pos_ = savePos;
            line_ = saveLine;
            ownedUsed_ = saveOwned;
            return false;
        }
        int l = line_;
        ++pos_;
        std::string_view piece = quotedString(l);
        joined.append(piece.data(), piece.size());
        first = false;
    }
    if (pos_ == savePos || src_[pos_ - 1] != ')') {
        pos_ = savePos;
        line_ = saveLine;
        ownedUsed_ = saveOwned;
        return false;
    }
    ownedUsed_ = saveOwned;
    if (ownedUsed_ == owned_.size()) owned_.emplace_back();
    std::string& s = owned_[ownedUsed_++];
    s = std::move(joined);
    out = s;
    return true;
}

struct NeedsMel {};

// Words up to the ';' that ends the statement.
void Reader::statementWords(int startLine) {
    const std::size_t n = src_.size();
    for (;;) {
        skipSpaceAndComments();
        if (pos_ >= n) fail(startLine, "Unexpected end of file: the statement has no ';'.");
        char c = src_[pos_];
        if (c == ';') {
            ++pos_;
            return;
        }
        if (c == '"') {
            int l = line_;
            ++pos_;
            words_.push_back({quotedString(l), true});
            continue;
        }
        if (c == '(') {
            std::string_view s;
            if (!concatenation(s)) throw NeedsMel{};
            words_.push_back({s, true});
            continue;
        }
        if (c == '$' || c == '`' || c == '{' || (c == '<' && pos_ + 1 < n && src_[pos_ + 1] == '<')) throw NeedsMel{};
        if (c == '}' || c == ')') fail(line_, std::string("Syntax error: unexpected '") + c + "'.");
        std::size_t b = pos_;
        while (pos_ < n) {
            char ch = src_[pos_];
            if (space(ch) || ch == ';' || ch == '`' || ch == '"' || ch == '}' || ch == ')') break;
            if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) fail(line_, "Not a scene file: unexpected binary data.");
            ++pos_;
        }
        words_.push_back({src_.substr(b, pos_ - b), false});
    }
}

// A statement that is real MEL: its text up to the ';' (or block end) at
// nesting level 0 runs through the interpreter.
void Reader::fallback(std::size_t begin, int startLine) {
    pos_ = begin;
    line_ = startLine;
    const std::size_t n = src_.size();
    int depth = 0;
    std::size_t end = std::string::npos;
    while (pos_ < n) {
        char c = src_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
            continue;
        }
        if (c == '/' && pos_ + 1 < n && (src_[pos_ + 1] == '/' || src_[pos_ + 1] == '*')) {
            skipSpaceAndComments();
            continue;
        }
        if (c == '"') {
            int l = line_;
            ++pos_;
            quotedString(l);
            continue;
        }
        ++pos_;
        if (c == '(' || c == '{' || c == '[') {
            if (++depth > kMaxNesting) fail(line_, "Statement nested too deeply.");
        } else if (c == ')' || c == '}' || c == ']') {
            if (--depth < 0) fail(line_, std::string("Syntax error: unexpected '") + c + "'.");
            if (c == '}' && depth == 0) {
                // A block ends the statement unless "else" follows.
                std::size_t save = pos_;
                int saveLine = line_;
                skipSpaceAndComments();
                bool elseFollows = src_.substr(pos_, 4) == "else" && (pos_ + 4 >= n || !identChar(src_[pos_ + 4]));
                if (!elseFollows) {
                    pos_ = save;
                    line_ = saveLine;
                    end = pos_;
                    break;
                }
            }
        } else if (c == ';' && depth == 0) {
            end = pos_;
            break;
        }
    }
    if (end == std::string::npos) {
        if (depth > 0) fail(startLine, "Unexpected end of file: unbalanced brackets or braces.");
        fail(startLine, "Unexpected end of file: the statement has no ';'.");
    }
    std::string_view text = src_.substr(begin, end - begin);
    host::mel::ExecResult r = host::mel::interpreter().execute(text, std::string(), false);
    if (!r.ok) {
        std::string msg = r.error;
        // The interpreter numbers lines within the statement.
        if (msg.rfind("line ", 0) == 0) {
            std::size_t colon = msg.find(": ");
            if (colon != std::string::npos) msg = msg.substr(colon + 2);
        }
        fail(startLine, msg);
    }
}

// Node names with the root namespace (":defaultRenderGlobals") are the
// host's default nodes. Those this host does not have get a stand-in, so
// the file's settings and connections of them are kept.
void implicitDefaults(const std::vector<Word>& words) {
    for (const Word& w : words) {
        if (w.text.size() < 2 || w.text[0] != ':' || !identStart(w.text[1])) continue;
        std::string node(w.text.substr(1, w.text.find('.') == std::string_view::npos ? std::string_view::npos : w.text.find('.') - 1));
        if (node.find_first_of(":|[") != std::string::npos || host::scene::cmds::tryFindNode(node)) continue;
        std::string err;
        if (host::scene::Node* n = host::scene::scene().createNode("unknown", node, nullptr, &err, true)) {
            n->isShared = true;
            host::scene::records::markImplicitDefault(n);
        }
    }
}

void Reader::dispatch(const std::string& name, int line) {
    if (name == "select" || name == "connectAttr" || name == "relationship" || name == "disconnectAttr")
        implicitDefaults(words_);
    if (name == "setAttr") {
        // A size no file of this length can fill is refused before anything
        // is allocated for it.
        for (std::size_t i = 0; i + 1 < words_.size(); ++i)
            if (!words_[i].quoted && (words_[i].text == "-s" || words_[i].text == "-size")) {
                double n = 0;
                std::string_view t = words_[i + 1].text;
                auto r = std::from_chars(t.data(), t.data() + t.size(), n);
                if (r.ec == std::errc() && n > static_cast<double>(src_.size()))
                    fail(line, "The size " + std::string(t) + " given with -s is more than this file can hold.");
            }
        // Long value lists of numbers skip the per-word values.
        int r = bulkSetAttr(words_, numbers_);
        if (r == kBulkDone) return;
        if (r < 0) fail(line, bulkError());
    }
    values_.resize(words_.size());
    for (std::size_t i = 0; i < words_.size(); ++i) {
        const Word& w = words_[i];
        Value& v = values_[i];
        if (!w.quoted) {
            char f = w.text.empty() ? '\0' : w.text[0];
            if (((f >= '0' && f <= '9') || f == '-' || f == '+' || f == '.') && host::mel::numericWord(w.text, v)) continue;
        }
        if (v.isString()) v.stringRef().assign(w.text.data(), w.text.size());
        else v = Value(std::string(w.text));
    }
    host::mel::ExecResult r = host::mel::interpreter().call(name, values_, false);
    if (!r.ok) {
        std::string msg = r.error;
        if (msg.rfind("line ", 0) == 0) {  // the interpreter's own location of a single call
            std::size_t colon = msg.find(": ");
            if (colon != std::string::npos) msg = msg.substr(colon + 2);
        }
        fail(line, msg);
    }
}

MaReadResult Reader::run() {
    MaReadResult result;
    host::mel::Interpreter& interp = host::mel::interpreter();

    // Leniency for other pipelines' files, and warnings with their place,
    // once per construct.
    const bool wasLenient = host::scene::createUnknownNodes();
    host::scene::setCreateUnknownNodes(true);
    auto outer = interp.warningSink();
    std::set<std::string> seen;
    interp.setWarningSink([&](const std::string& text) {
        if (!seen.insert(text).second) return;
        ++result.warnings;
        std::string located = text;
        const std::string head = "// Warning: ";
        if (located.rfind(head, 0) == 0)
            located.insert(head.size(), host::mel::formatLocation(name_, stmtLine_));
        if (outer) outer(located);
    });
    struct Restore {
        host::mel::Interpreter& interp;
        std::function<void(const std::string&)> sink;
        bool lenient;
        ~Restore() {
            interp.setWarningSink(sink);
            host::scene::setCreateUnknownNodes(lenient);
        }
    } restore{interp, outer, wasLenient};

    std::string name;
    try {
        for (;;) {
            skipSpaceAndComments();
            if (atEnd()) break;
            const std::size_t begin = pos_;
            const int line = line_;
            stmtLine_ = line;
            char c = src_[pos_];
            if (c == ';') {
                ++pos_;
                continue;
            }
            if (!identStart(c)) {
                if (c == '{' || c == '$') {
                    fallback(begin, line);
                    continue;
                }
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                    fail(line, "Not a scene file: unexpected binary data.");
                fail(line, std::string("Syntax error: a statement cannot begin with '") + c + "'.");
            }
            std::size_t b = pos_;
            while (pos_ < src_.size() && identChar(src_[pos_])) ++pos_;
            name.assign(src_.data() + b, pos_ - b);
            static const std::set<std::string> keywords = {"if",     "for",    "while", "do",    "switch", "global",
                                                           "proc",   "return", "int",   "float", "string", "vector",
                                                           "matrix", "break",  "continue"};
            std::size_t after = pos_;
            while (after < src_.size() && (src_[after] == ' ' || src_[after] == '\t')) ++after;
            if (keywords.count(name) || (after < src_.size() && (src_[after] == '(' || src_[after] == '='))) {
                fallback(begin, line);
                continue;
            }
            words_.clear();
            ownedUsed_ = 0;
            try {
                statementWords(line);
            } catch (const NeedsMel&) {
                fallback(begin, line);
                continue;
            }
            dispatch(name, line);
        }
    } catch (const ReadError& e) {
        result.ok = false;
        result.error = host::mel::formatLocation(name_, e.line) + e.msg;
    } catch (const std::bad_alloc&) {
        result.ok = false;
        result.error = host::mel::formatLocation(name_, stmtLine_) + "Out of memory.";
    }
    return result;
}

}  // namespace

MaReadResult readMayaAsciiText(std::string_view text, const std::string& sourceName) {
    Reader r(text, sourceName);
    return r.run();
}

MaReadResult readMayaAsciiFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        MaReadResult r;
        r.ok = false;
        r.error = "Cannot open the file " + path + ".";
        return r;
    }
    std::string text;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        in.read(&text[0], size);
        text.resize(static_cast<std::size_t>(in.gcount()));
    }
    return readMayaAsciiText(text, path);
}

}  // namespace host::files
