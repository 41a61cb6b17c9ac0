#include "mel/parser.h"

namespace host::mel {

namespace {

bool typeKeyword(std::string_view w, Type& t) {
    if (w == "int") t = Type::Int;
    else if (w == "float") t = Type::Float;
    else if (w == "string") t = Type::String;
    else if (w == "vector") t = Type::Vector;
    else return false;
    return true;
}

int precedence(const Token& t) {
    if (t.kind != Tok::Op) return -1;
    switch (t.op) {
    case OpOr: return 1;
    case OpAnd: return 2;
    case OpEq:
    case OpNe: return 3;
    case '<':
    case '>':
    case OpLe:
    case OpGe: return 4;
    case '+':
    case '-': return 5;
    case '*':
    case '/':
    case '%':
    case '^': return 6;
    default: return -1;
    }
}

constexpr int kMaxParseDepth = 200;

}  // namespace

bool isKeyword(std::string_view w) {
    static const char* const kw[] = {"if", "else", "for", "while", "do", "switch", "case", "default",
                                     "break", "continue", "return", "global", "proc", "int", "float",
                                     "string", "vector", "matrix", "in"};
    for (const char* k : kw)
        if (w == k) return true;
    return false;
}

struct Parser::DepthGuard {
    explicit DepthGuard(Parser& p) : p_(p) {
        if (++p_.depth_ > kMaxParseDepth) p_.lx_.fail(p_.lx_.tok.line, "Statement nested too deeply.");
        p_.impl_.checkStack();
    }
    ~DepthGuard() { --p_.depth_; }
    Parser& p_;
};

void Parser::syntaxError() {
    if (lx_.tok.kind == Tok::Error) throw MelError{std::string(lx_.tok.text)};
    lx_.fail(lx_.tok.line, "Syntax error");
}

bool Parser::isOp(int op) const { return lx_.tok.kind == Tok::Op && lx_.tok.op == op; }
bool Parser::isIdent(const char* w) const { return lx_.tok.kind == Tok::Ident && lx_.tok.text == w; }

void Parser::expect(int op) {
    if (!isOp(op)) syntaxError();
    lx_.next();
}

void Parser::endStatement() {
    if (isOp(';')) lx_.next();
    else if (lx_.tok.kind != Tok::End) syntaxError();
}

NodePtr Parser::statement() {
    DepthGuard g(*this);
    Token& t = lx_.tok;
    int line = t.line;
    switch (t.kind) {
    case Tok::End:
    case Tok::Error: syntaxError();
    case Tok::Op:
        if (t.op == ';') {
            lx_.next();
            return std::make_unique<Node>(NK::Empty, line);
        }
        if (t.op == '{') return block();
        break;
    case Tok::Ident: {
        std::string_view w = t.text;
        Type ty;
        if (typeKeyword(w, ty)) return declaration(false);
        if (w == "global") {
            lx_.next();
            if (isIdent("proc")) return procDef(true);
            if (lx_.tok.kind == Tok::Ident && typeKeyword(lx_.tok.text, ty)) return declaration(true);
            syntaxError();
        }
        if (w == "proc") return procDef(false);
        if (w == "matrix") lx_.fail(line, "The matrix type is not supported.");
        if (w == "if") return ifStatement();
        if (w == "while") return whileStatement();
        if (w == "do") return doStatement();
        if (w == "for") return forStatement();
        if (w == "switch") return switchStatement();
        if (w == "break" || w == "continue") {
            NK k = w == "break" ? NK::Break : NK::Continue;
            lx_.next();
            endStatement();
            return std::make_unique<Node>(k, line);
        }
        if (w == "return") {
            auto r = std::make_unique<ReturnS>(line);
            lx_.next();
            if (!isOp(';') && lx_.tok.kind != Tok::End && !isOp('}')) r->e = expression();
            endStatement();
            return r;
        }
        if (isKeyword(w)) syntaxError();
        if (lx_.peekChar() != '(') {
            auto c = commandCall(false);
            endStatement();
            auto s = std::make_unique<ExprS>(line);
            s->e = std::move(c);
            return s;
        }
        break;
    }
    default: break;
    }
    auto s = std::make_unique<ExprS>(line);
    s->e = expression();
    endStatement();
    return s;
}

NodePtr Parser::block() {
    int line = lx_.tok.line;
    auto b = std::make_unique<BlockS>(line);
    lx_.next();  // '{'
    while (!isOp('}')) {
        if (lx_.tok.kind == Tok::End) lx_.fail(line, "Syntax error: block is missing its closing '}'.");
        b->body.push_back(statement());
    }
    lx_.next();
    return b;
}

NodePtr Parser::declaration(bool global) {
    auto d = std::make_unique<DeclS>(lx_.tok.line);
    d->global = global;
    typeKeyword(lx_.tok.text, d->type);
    lx_.next();
    declItems(*d);
    endStatement();
    return d;
}

void Parser::declItems(DeclS& d) {
    for (;;) {
        if (lx_.tok.kind != Tok::Var) syntaxError();
        DeclS::Item item;
        item.name = std::string(lx_.tok.text);
        item.line = lx_.tok.line;
        lx_.next();
        if (isOp('[')) {
            lx_.next();
            item.array = true;
            if (!isOp(']')) item.size = expression();
            expect(']');
        }
        if (isOp('=')) {
            lx_.next();
            item.init = expression();
        }
        d.items.push_back(std::move(item));
        if (!isOp(',')) break;
        lx_.next();
    }
}

NodePtr Parser::procDef(bool global) {
    int line = lx_.tok.line;
    lx_.next();  // 'proc'
    auto proc = std::make_shared<Proc>();
    proc->global = global;
    proc->file = lx_.file();
    Type ty;
    if (lx_.tok.kind == Tok::Ident && typeKeyword(lx_.tok.text, ty)) {
        lx_.next();
        if (isOp('[')) {
            lx_.next();
            expect(']');
            ty = arrayTypeOf(ty);
        }
        proc->returnType = ty;
    }
    if (lx_.tok.kind != Tok::Ident || isKeyword(lx_.tok.text)) syntaxError();
    proc->name = std::string(lx_.tok.text);
    lx_.next();
    expect('(');
    while (!isOp(')')) {
        if (lx_.tok.kind != Tok::Ident || !typeKeyword(lx_.tok.text, ty)) syntaxError();
        lx_.next();
        if (lx_.tok.kind != Tok::Var) syntaxError();
        Proc::Param p{ty, std::string(lx_.tok.text)};
        lx_.next();
        if (isOp('[')) {
            lx_.next();
            expect(']');
            p.type = arrayTypeOf(p.type);
        }
        for (const auto& q : proc->params)
            if (q.name == p.name) lx_.fail(line, "Duplicate parameter \"$" + p.name + "\" in proc " + proc->name + ".");
        proc->params.push_back(std::move(p));
        if (isOp(',')) {
            lx_.next();
            if (isOp(')')) syntaxError();
        } else if (!isOp(')')) {
            syntaxError();
        }
    }
    lx_.next();
    if (!isOp('{')) syntaxError();
    NodePtr body = block();
    proc->body.reset(static_cast<BlockS*>(body.release()));
    auto def = std::make_unique<ProcDefS>(line);
    def->proc = std::move(proc);
    return def;
}

NodePtr Parser::ifStatement() {
    auto s = std::make_unique<IfS>(lx_.tok.line);
    lx_.next();
    expect('(');
    s->c = expression();
    expect(')');
    s->a = statement();
    if (isIdent("else")) {
        lx_.next();
        s->b = statement();
    }
    return s;
}

NodePtr Parser::whileStatement() {
    auto s = std::make_unique<WhileS>(lx_.tok.line, NK::While);
    lx_.next();
    expect('(');
    s->c = expression();
    expect(')');
    s->body = statement();
    return s;
}

NodePtr Parser::doStatement() {
    auto s = std::make_unique<WhileS>(lx_.tok.line, NK::Do);
    lx_.next();
    s->body = statement();
    if (!isIdent("while")) syntaxError();
    lx_.next();
    expect('(');
    s->c = expression();
    expect(')');
    endStatement();
    return s;
}

NodePtr Parser::forStatement() {
    int line = lx_.tok.line;
    lx_.next();
    expect('(');
    auto f = std::make_unique<ForS>(line);
    Type ty;
    if (lx_.tok.kind == Tok::Ident && typeKeyword(lx_.tok.text, ty)) {
        // for (string $s in $list) or for (int $i = 0; ...)
        lx_.next();
        if (lx_.tok.kind != Tok::Var) syntaxError();
        Token save = lx_.tok;
        auto var = std::make_unique<VarN>(lx_.tok.line, std::string(lx_.tok.text));
        lx_.next();
        if (isIdent("in")) {
            auto fi = std::make_unique<ForInS>(line);
            fi->var = std::move(var);
            fi->declType = ty;
            lx_.next();
            fi->arr = expression();
            expect(')');
            fi->body = statement();
            return fi;
        }
        lx_.rewind(save);
        lx_.next();
        auto d = std::make_unique<DeclS>(line);
        d->type = ty;
        declItems(*d);
        f->init.push_back(std::move(d));
        expect(';');
    } else if (isOp(';')) {
        lx_.next();
    } else {
        NodePtr e = expression();
        if (isIdent("in")) {
            if (e->kind != NK::Var || static_cast<VarN*>(e.get())->index) syntaxError();
            auto fi = std::make_unique<ForInS>(line);
            fi->var.reset(static_cast<VarN*>(e.release()));
            lx_.next();
            fi->arr = expression();
            expect(')');
            fi->body = statement();
            return fi;
        }
        auto es = std::make_unique<ExprS>(line);
        es->e = std::move(e);
        f->init.push_back(std::move(es));
        while (isOp(',')) {
            lx_.next();
            auto more = std::make_unique<ExprS>(line);
            more->e = expression();
            f->init.push_back(std::move(more));
        }
        expect(';');
    }
    if (!isOp(';')) f->c = expression();
    expect(';');
    while (!isOp(')')) {
        auto es = std::make_unique<ExprS>(line);
        es->e = expression();
        f->step.push_back(std::move(es));
        if (isOp(',')) lx_.next();
        else if (!isOp(')')) syntaxError();
    }
    lx_.next();
    f->body = statement();
    return f;
}

NodePtr Parser::switchStatement() {
    int line = lx_.tok.line;
    auto s = std::make_unique<SwitchS>(line);
    lx_.next();
    expect('(');
    s->e = expression();
    expect(')');
    if (!isOp('{')) syntaxError();
    lx_.next();
    while (!isOp('}')) {
        if (lx_.tok.kind == Tok::End) lx_.fail(line, "Syntax error: block is missing its closing '}'.");
        if (isIdent("case")) {
            lx_.next();
            SwitchS::Case c;
            c.value = expression();
            expect(':');
            s->cases.push_back(std::move(c));
        } else if (isIdent("default")) {
            lx_.next();
            expect(':');
            s->cases.emplace_back();
        } else {
            if (s->cases.empty()) syntaxError();
            s->cases.back().body.push_back(statement());
        }
    }
    lx_.next();
    return s;
}

std::unique_ptr<CallN> Parser::commandCall(bool inBackquote) {
    auto c = std::make_unique<CallN>(lx_.tok.line, std::string(lx_.tok.text));
    c->commandSyntax = true;
    for (;;) {
        Value lit;
        int line = lx_.line();
        Lexer::Word w = lx_.word(lit, inBackquote);
        if (w == Lexer::Word::End) break;
        if (w == Lexer::Word::Literal) {
            c->args.push_back(std::make_unique<LiteralN>(line, std::move(lit)));
        } else {
            lx_.next();
            c->args.push_back(wordExpr());
            lx_.rewind(lx_.tok);
        }
    }
    lx_.next();
    return c;
}

NodePtr Parser::wordExpr() {
    DepthGuard g(*this);
    if (lx_.tok.kind == Tok::Var) return postfix();
    return primary();
}

NodePtr Parser::expression() {
    DepthGuard g(*this);
    NodePtr lhs = ternary();
    if (lx_.tok.kind == Tok::Op) {
        int op = lx_.tok.op;
        if (op == '=' || op == OpAddAssign || op == OpSubAssign || op == OpMulAssign || op == OpDivAssign) {
            if (lhs->kind != NK::Var) syntaxError();
            auto a = std::make_unique<AssignN>(lx_.tok.line);
            a->op = op;
            a->target.reset(static_cast<VarN*>(lhs.release()));
            lx_.next();
            a->e = expression();
            return a;
        }
    }
    return lhs;
}

NodePtr Parser::ternary() {
    NodePtr c = binary(1);
    if (!isOp('?')) return c;
    auto t = std::make_unique<TernaryN>(lx_.tok.line);
    lx_.next();
    t->c = std::move(c);
    t->a = expression();
    expect(':');
    t->b = expression();
    return t;
}

NodePtr Parser::binary(int minPrec) {
    DepthGuard g(*this);
    NodePtr lhs = unary();
    for (;;) {
        int prec = precedence(lx_.tok);
        if (prec < minPrec) return lhs;
        auto b = std::make_unique<BinaryN>(lx_.tok.line);
        b->op = lx_.tok.op;
        lx_.next();
        b->a = std::move(lhs);
        b->b = binary(prec + 1);
        lhs = std::move(b);
    }
}

NodePtr Parser::unary() {
    DepthGuard g(*this);
    if (lx_.tok.kind == Tok::Op) {
        int op = lx_.tok.op;
        if (op == '-' || op == '+' || op == '!') {
            auto u = std::make_unique<UnaryN>(lx_.tok.line);
            u->op = op;
            lx_.next();
            u->e = unary();
            return u;
        }
        if (op == OpInc || op == OpDec) {
            auto u = std::make_unique<IncDecN>(lx_.tok.line);
            u->inc = op == OpInc;
            u->prefix = true;
            lx_.next();
            NodePtr t = unary();
            if (t->kind != NK::Var) syntaxError();
            u->target.reset(static_cast<VarN*>(t.release()));
            return u;
        }
    }
    return postfix();
}

NodePtr Parser::postfix() {
    NodePtr e = primary();
    if (e->kind == NK::Var && lx_.tok.kind == Tok::Op && (lx_.tok.op == OpInc || lx_.tok.op == OpDec)) {
        auto u = std::make_unique<IncDecN>(lx_.tok.line);
        u->inc = lx_.tok.op == OpInc;
        u->prefix = false;
        u->target.reset(static_cast<VarN*>(e.release()));
        lx_.next();
        return u;
    }
    return e;
}

NodePtr Parser::primary() {
    Token& t = lx_.tok;
    int line = t.line;
    switch (t.kind) {
    case Tok::Int: {
        auto n = std::make_unique<LiteralN>(line, Value(t.ival));
        lx_.next();
        return n;
    }
    case Tok::Float: {
        auto n = std::make_unique<LiteralN>(line, Value(t.fval));
        lx_.next();
        return n;
    }
    case Tok::Str: {
        auto n = std::make_unique<LiteralN>(line, Value(std::string(t.text)));
        lx_.next();
        return n;
    }
    case Tok::Var: {
        auto v = std::make_unique<VarN>(line, std::string(t.text));
        lx_.next();
        if (isOp('[')) {
            lx_.next();
            v->index = expression();
            expect(']');
        }
        if (isOp('.')) {
            Token dot = lx_.tok;
            lx_.next();
            if (lx_.tok.kind == Tok::Ident && lx_.tok.text.size() == 1 &&
                (lx_.tok.text[0] == 'x' || lx_.tok.text[0] == 'y' || lx_.tok.text[0] == 'z')) {
                v->comp = lx_.tok.text[0] - 'x';
                lx_.next();
            } else {
                lx_.rewind(dot);
                lx_.tok = dot;
                syntaxError();
            }
        }
        return v;
    }
    case Tok::Backquote: {
        auto b = std::make_unique<BackquoteN>(line);
        lx_.next();
        if (lx_.tok.kind != Tok::Ident || isKeyword(lx_.tok.text)) syntaxError();
        if (lx_.peekChar() == '(') b->call = postfix();
        else b->call = commandCall(true);
        if (lx_.tok.kind != Tok::Backquote) syntaxError();
        lx_.next();
        return b;
    }
    case Tok::Ident: {
        std::string_view w = t.text;
        if (w == "true" || w == "on" || w == "yes" || w == "false" || w == "off" || w == "no") {
            bool on = w == "true" || w == "on" || w == "yes";
            lx_.next();
            return std::make_unique<LiteralN>(line, Value(on ? 1 : 0));
        }
        if (lx_.peekChar() != '(') syntaxError();
        Type ty;
        if (typeKeyword(w, ty)) {
            auto c = std::make_unique<CastN>(line);
            c->type = ty;
            lx_.next();
            expect('(');
            c->e = expression();
            expect(')');
            return c;
        }
        if (isKeyword(w)) syntaxError();
        auto c = std::make_unique<CallN>(line, std::string(w));
        lx_.next();
        expect('(');
        while (!isOp(')')) {
            c->args.push_back(expression());
            if (isOp(',')) {
                lx_.next();
                if (isOp(')')) syntaxError();
            } else if (!isOp(')')) {
                syntaxError();
            }
        }
        lx_.next();
        return c;
    }
    case Tok::Op:
        if (t.op == '(') {
            lx_.next();
            NodePtr e = expression();
            expect(')');
            return e;
        }
        if (t.op == '{') {
            auto a = std::make_unique<ArrayN>(line);
            lx_.next();
            while (!isOp('}')) {
                a->elems.push_back(expression());
                if (isOp(',')) lx_.next();
                else if (!isOp('}')) syntaxError();
            }
            lx_.next();
            return a;
        }
        if (t.op == OpVecOpen) {
            auto v = std::make_unique<VectorN>(line);
            lx_.next();
            for (int i = 0; i < 3; ++i) {
                v->c[i] = binary(1);
                if (i < 2) expect(',');
            }
            expect(OpVecClose);
            return v;
        }
        break;
    default: break;
    }
    syntaxError();
}

}  // namespace host::mel
