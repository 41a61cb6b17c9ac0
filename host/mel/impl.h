#pragma once
#include <set>
// Interpreter internals shared by the interpreter and the built-in commands.
#include "mel/interpreter.h"

#include <deque>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host::mel {

// An error already worded and located, unwinding to the enclosing catch or
// top-level statement.
struct MelError {
    std::string msg;
};

std::string formatLocation(const std::string& file, int line);

// ---------------------------------------------------------------- lexer

// Error: a lexing failure held until the parser uses the token, so that
// looking ahead never fails the statement before it runs.
enum class Tok { End, Ident, Var, Int, Float, Str, Op, Backquote, Error };

enum OpCode : int {
    OpEq = 256, OpNe, OpLe, OpGe, OpAnd, OpOr, OpAddAssign, OpSubAssign, OpMulAssign,
    OpDivAssign, OpInc, OpDec, OpVecOpen, OpVecClose,
};

struct Token {
    Tok kind = Tok::End;
    int op = 0;
    std::string_view text;  // identifier / variable name (without '$') / string contents
    int ival = 0;
    double fval = 0;
    int line = 1;
    std::size_t begin = 0;  // offset of the token in the source
};

class Lexer {
public:
    Lexer(std::string_view src, const std::string& file) : src_(src), file_(file) {}

    void next();              // expression-mode token into tok
    void rewind(const Token& t) { pos_ = t.begin; line_ = t.line; }
    char peekChar();          // next non-blank character, without consuming ('\0' at end)
    bool atEnd() { skipSpace(); return pos_ >= src_.size(); }

    // Command-syntax words.
    enum class Word { End, Literal, Expr };
    Word word(Value& literal, bool inBackquote);

    [[noreturn]] void fail(int line, const std::string& msg) const;
    const std::string& file() const { return file_; }
    std::size_t pos() const { return pos_; }
    int line() const { return line_; }

    Token tok;

private:
    void skipSpace();
    void lexToken();
    std::string_view lexString(int startLine);  // after the opening quote

    std::string_view src_;
    std::size_t pos_ = 0;
    int line_ = 1;
    const std::string& file_;
    std::string strbuf_;
    std::string errbuf_;
};

// Classifies a bare command word: true with an int or float Value if numeric.
bool numericWord(std::string_view w, Value& out);

// ---------------------------------------------------------------- syntax tree

enum class NK {
    Literal, Var, Unary, Binary, Ternary, Assign, IncDec, Call, Array, Vector, Cast, Backquote,
    ExprS, Decl, Block, If, While, Do, For, ForIn, Switch, Break, Continue, Return, Empty, ProcDef,
};

struct Node {
    explicit Node(NK k, int l) : kind(k), line(l) {}
    virtual ~Node() = default;
    NK kind;
    int line;
};
using NodePtr = std::unique_ptr<Node>;

struct LiteralN : Node { LiteralN(int l, Value v) : Node(NK::Literal, l), value(std::move(v)) {} Value value; };
struct VarN : Node {
    VarN(int l, std::string n) : Node(NK::Var, l), name(std::move(n)) {}
    std::string name;
    NodePtr index;
    int comp = -1;  // .x .y .z
};
struct UnaryN : Node { UnaryN(int l) : Node(NK::Unary, l) {} int op = 0; NodePtr e; };
struct BinaryN : Node { BinaryN(int l) : Node(NK::Binary, l) {} int op = 0; NodePtr a, b; };
struct TernaryN : Node { TernaryN(int l) : Node(NK::Ternary, l) {} NodePtr c, a, b; };
struct AssignN : Node { AssignN(int l) : Node(NK::Assign, l) {} int op = '='; std::unique_ptr<VarN> target; NodePtr e; };
struct IncDecN : Node { IncDecN(int l) : Node(NK::IncDec, l) {} bool inc = true, prefix = true; std::unique_ptr<VarN> target; };
struct CallN : Node {
    CallN(int l, std::string n) : Node(NK::Call, l), name(std::move(n)) {}
    std::string name;
    std::vector<NodePtr> args;
    bool commandSyntax = false;
};
struct ArrayN : Node { ArrayN(int l) : Node(NK::Array, l) {} std::vector<NodePtr> elems; };
struct VectorN : Node { VectorN(int l) : Node(NK::Vector, l) {} NodePtr c[3]; };
struct CastN : Node { CastN(int l) : Node(NK::Cast, l) {} Type type = Type::Int; NodePtr e; };
struct BackquoteN : Node { BackquoteN(int l) : Node(NK::Backquote, l) {} NodePtr call; };

struct ExprS : Node { ExprS(int l) : Node(NK::ExprS, l) {} NodePtr e; };
struct DeclS : Node {
    DeclS(int l) : Node(NK::Decl, l) {}
    struct Item { std::string name; bool array = false; NodePtr size; NodePtr init; int line = 0; };
    Type type = Type::Int;
    bool global = false;
    std::vector<Item> items;
};
struct BlockS : Node { BlockS(int l) : Node(NK::Block, l) {} std::vector<NodePtr> body; };
struct IfS : Node { IfS(int l) : Node(NK::If, l) {} NodePtr c, a, b; };
struct WhileS : Node { WhileS(int l, NK k) : Node(k, l) {} NodePtr c, body; };  // While / Do
struct ForS : Node { ForS(int l) : Node(NK::For, l) {} std::vector<NodePtr> init; NodePtr c; std::vector<NodePtr> step; NodePtr body; };
struct ForInS : Node { ForInS(int l) : Node(NK::ForIn, l) {} std::unique_ptr<VarN> var; Type declType = Type::None; NodePtr arr; NodePtr body; };
struct SwitchS : Node {
    SwitchS(int l) : Node(NK::Switch, l) {}
    struct Case { NodePtr value; std::vector<NodePtr> body; };  // value null: default
    NodePtr e;
    std::vector<Case> cases;
};
struct ReturnS : Node { ReturnS(int l) : Node(NK::Return, l) {} NodePtr e; };

struct Proc {
    std::string name;
    Type returnType = Type::None;
    struct Param { Type type; std::string name; };
    std::vector<Param> params;
    std::shared_ptr<BlockS> body;
    std::string file;
    bool global = true;
};
struct ProcDefS : Node { ProcDefS(int l) : Node(NK::ProcDef, l) {} std::shared_ptr<Proc> proc; };

// ---------------------------------------------------------------- state

struct Var {
    Type type = Type::Int;
    Value value;
};

struct Scope {
    std::vector<std::pair<std::string, Var*>> names;
    std::deque<Var> owned;
    void clear() { names.clear(); owned.clear(); }
};

enum class Flow { Normal, Break, Continue, Return };

struct Interpreter::Impl {
    explicit Impl(Interpreter& self);

    Interpreter& self;
    std::unordered_map<std::string, CommandFn> commands;
    std::unordered_map<std::string, std::shared_ptr<Proc>> procs;
    std::unordered_map<std::string, Var> globals;
    std::deque<std::string> deferred;
    Sink out, warn, err;
    std::mt19937 rng;

    // Scopes: a stack reused across calls; a proc's frame starts at frameBase.
    std::vector<std::unique_ptr<Scope>> scopes;
    std::size_t nScopes = 0;
    std::size_t frameBase = 0;
    int procDepth = 0;
    int apiDepth = 0;
    const char* stackBase = nullptr;
    std::size_t stackBudget = 0;

    // Where execution is, for error locations.
    const std::string* curFile = nullptr;
    int curLine = 0;
    Value lastValue;
    Value retVal;
    std::string keyBuf;

    // Running text.
    Value runText(std::string_view text, const std::string& file);
    Value sourceScript(const std::string& nameOrPath);
    // Procedures being looked for on the script path (stops a script that
    // calls its own missing procedure from sourcing itself forever).
    std::set<std::string> autoLoading;
    Value invoke(const std::string& name, std::vector<Value>& args);
    Value callProc(const Proc& p, std::vector<Value>& args);
    ExecResult guarded(const std::function<Value()>& fn, bool reportErrors);
    void flushDeferred();

    // Statements and expressions.
    Flow exec(const Node* n);
    Flow execBody(const std::vector<NodePtr>& body);
    Value eval(const Node* n);
    Value evalCall(const CallN* c);
    Value binop(int op, const Value& a, const Value& b);
    void checkStack();

    // Variables.
    Var* lookup(std::string_view name);
    Var& declare(const std::string& name, Type t, int line);
    Var& declareGlobal(const std::string& name, Type t);
    Var& varFor(const VarN* v, bool implicitType, Type t);
    void assign(Var& var, Value v);
    Value readVar(const VarN* v);
    void writeVar(const VarN* v, Value value, bool implicit);
    void pushScope();
    void popScope();

    [[noreturn]] void fail(const std::string& msg) const;
    std::string location() const;
};

void registerBuiltins(Interpreter& interp, Interpreter::Impl& impl);

}  // namespace host::mel
