#include "mel/interpreter.h"

#include "mel/impl.h"
#include "mel/parser.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace host::mel {

namespace {

constexpr int kMaxProcDepth = 2000;
constexpr long long kMaxArrayIndex = 1LL << 26;  // guards against one typo eating the machine
constexpr std::size_t kMaxDeferredPerFlush = 100000;

std::string stripDollar(const std::string& n) { return !n.empty() && n[0] == '$' ? n.substr(1) : n; }

// Which names are evaluated by the interpreter itself: their arguments are
// variables to change or expressions to guard.
bool specialForm(std::string_view n) {
    return n == "catch" || n == "catchQuiet" || n == "clear" || n == "tokenize";
}

std::size_t stackBudgetBytes() {
    rlimit rl{};
    std::size_t lim = 8u << 20;
    if (getrlimit(RLIMIT_STACK, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) lim = rl.rlim_cur;
    if (lim > (8u << 20)) lim = 8u << 20;
    std::size_t b = lim / 2;
    return b < (256u << 10) ? (256u << 10) : b;
}

struct ScopeGuard {
    Interpreter::Impl& impl;
    std::size_t base;
    std::size_t savedFrame;
    const std::string* savedFile;
    int savedLine;
    ScopeGuard(Interpreter::Impl& i, bool newFrame)
        : impl(i), base(i.nScopes), savedFrame(i.frameBase), savedFile(i.curFile), savedLine(i.curLine) {
        if (newFrame) impl.frameBase = impl.nScopes;
        impl.pushScope();
    }
    ~ScopeGuard() {
        while (impl.nScopes > base) impl.popScope();
        impl.frameBase = savedFrame;
        impl.curFile = savedFile;
        impl.curLine = savedLine;
    }
};

}  // namespace

// ---------------------------------------------------------------- Impl basics

Interpreter::Impl::Impl(Interpreter& s) : self(s), rng(12345u) {
    stackBudget = stackBudgetBytes();
}

std::string Interpreter::Impl::location() const {
    static const std::string none;
    return formatLocation(curFile ? *curFile : none, curLine);
}

void Interpreter::Impl::fail(const std::string& msg) const { throw MelError{location() + msg}; }

void Interpreter::Impl::checkStack() {
    char probe;
    if (stackBase && static_cast<std::size_t>(stackBase - &probe) > stackBudget)
        fail("Maximum nesting depth exceeded.");
}

void Interpreter::Impl::pushScope() {
    if (nScopes == scopes.size()) scopes.push_back(std::make_unique<Scope>());
    ++nScopes;
}

void Interpreter::Impl::popScope() { scopes[--nScopes]->clear(); }

Var* Interpreter::Impl::lookup(std::string_view name) {
    for (std::size_t i = nScopes; i-- > frameBase;) {
        auto& names = scopes[i]->names;
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            if (it->first == name) return it->second;
    }
    return nullptr;
}

Var& Interpreter::Impl::declare(const std::string& name, Type t, int line) {
    Scope& s = *scopes[nScopes - 1];
    for (auto& p : s.names) {
        if (p.first == name) {
            if (p.second->type != t)
                fail("Invalid redeclaration of variable \"$" + name + "\" as a different type.");
            return *p.second;
        }
    }
    s.owned.push_back(Var{t, Value::defaultOf(t)});
    s.names.emplace_back(name, &s.owned.back());
    return s.owned.back();
}

Var& Interpreter::Impl::declareGlobal(const std::string& name, Type t) {
    auto it = globals.find(name);
    if (it == globals.end()) {
        it = globals.emplace(name, Var{t, Value::defaultOf(t)}).first;
    } else if (it->second.type != t) {
        fail("Invalid redeclaration of variable \"$" + name + "\" as a different type.");
    }
    Scope& s = *scopes[nScopes - 1];
    bool linked = false;
    for (auto& p : s.names) {
        if (p.first == name) {
            if (p.second != &it->second) {
                if (p.second->type != t)
                    fail("Invalid redeclaration of variable \"$" + name + "\" as a different type.");
                p.second = &it->second;
            }
            linked = true;
        }
    }
    if (!linked) s.names.emplace_back(name, &it->second);
    return it->second;
}

void Interpreter::Impl::assign(Var& var, Value v) {
    if (v.type() == var.type) {
        var.value = std::move(v);
        return;
    }
    Value c;
    if (!v.convertTo(var.type, c))
        fail(std::string("Cannot convert data of type ") + typeName(v.type()) + " to type " +
             typeName(var.type) + ".");
    var.value = std::move(c);
}

namespace {
int checkedIndex(Interpreter::Impl& impl, const Value& iv) {
    double d = iv.asFloat();
    if (d < 0 || d > static_cast<double>(kMaxArrayIndex))
        impl.fail("Array index out of bounds: " + iv.asString() + ".");
    return static_cast<int>(d);
}
double& component(Vec3& v, int c) { return c == 0 ? v.x : c == 1 ? v.y : v.z; }
}  // namespace

Value Interpreter::Impl::readVar(const VarN* v) {
    Var* var = lookup(v->name);
    if (!var) fail("\"$" + v->name + "\" is an undeclared variable.");
    if (v->index) {
        if (!isArrayType(var->type)) fail("\"$" + v->name + "\" is not an array.");
        int i = checkedIndex(*this, eval(v->index.get()));
        Value el = var->value.element(static_cast<std::size_t>(i));
        if (v->comp >= 0) {
            if (el.type() != Type::Vector) fail("\"$" + v->name + "\" is not a vector array.");
            return Value(component(el.vectorRef(), v->comp));
        }
        return el;
    }
    if (v->comp >= 0) {
        if (var->type != Type::Vector) fail("\"$" + v->name + "\" is not a vector.");
        return Value(component(var->value.vectorRef(), v->comp));
    }
    return var->value;
}

void Interpreter::Impl::writeVar(const VarN* v, Value value, bool implicit) {
    Var* var = lookup(v->name);
    if (!var) {
        if (!implicit || v->index || v->comp >= 0 || value.isNone())
            fail("\"$" + v->name + "\" is an undeclared variable.");
        var = &declare(v->name, value.type(), v->line);
    }
    if (v->index) {
        if (!isArrayType(var->type)) fail("\"$" + v->name + "\" is not an array.");
        int i = checkedIndex(*this, eval(v->index.get()));
        if (v->comp >= 0) {
            if (var->type != Type::VectorArray) fail("\"$" + v->name + "\" is not a vector array.");
            Vec3 el = var->value.element(i).asVector();
            component(el, v->comp) = value.asFloat();
            var->value.setElement(i, Value(el));
            return;
        }
        if (value.isArray())
            fail(std::string("Cannot convert data of type ") + typeName(value.type()) + " to type " +
                 typeName(elementType(var->type)) + ".");
        var->value.setElement(static_cast<std::size_t>(i), value);
        return;
    }
    if (v->comp >= 0) {
        if (var->type != Type::Vector) fail("\"$" + v->name + "\" is not a vector.");
        component(var->value.vectorRef(), v->comp) = value.asFloat();
        return;
    }
    assign(*var, std::move(value));
}

// ---------------------------------------------------------------- expressions

Value Interpreter::Impl::binop(int op, const Value& a0, const Value& b0) {
    const Value zero(0);
    const Value& a = a0.isNone() ? zero : a0;
    const Value& b = b0.isNone() ? zero : b0;
    Type ta = a.type(), tb = b.type();
    if (a.isArray() || b.isArray()) {
        if (op == OpEq) return Value(a == b);
        if (op == OpNe) return Value(a != b);
        fail("Illegal operation on an array.");
    }
    bool str = ta == Type::String || tb == Type::String;
    bool vec = ta == Type::Vector || tb == Type::Vector;
    bool ints = ta == Type::Int && tb == Type::Int;
    switch (op) {
    case '+':
        if (str) return Value(a.asString() + b.asString());
        if (vec) {
            Vec3 x = a.asVector(), y = b.asVector();
            return Value(Vec3{x.x + y.x, x.y + y.y, x.z + y.z});
        }
        if (ints)
            return Value(static_cast<int>(static_cast<std::uint32_t>(a.asInt()) + static_cast<std::uint32_t>(b.asInt())));
        return Value(a.asFloat() + b.asFloat());
    case '-':
    case '*':
    case '/':
    case '%': {
        if (vec) {
            if (op == '%') fail("Illegal operation on a vector.");
            if (ta == Type::Vector && tb == Type::Vector) {
                Vec3 x = a.asVector(), y = b.asVector();
                if (op == '*') return Value(x.x * y.x + x.y * y.y + x.z * y.z);
                if (op == '-') return Value(Vec3{x.x - y.x, x.y - y.y, x.z - y.z});
                fail("Illegal operation on a vector.");
            }
            if (op == '-') {
                Vec3 x = a.asVector(), y = b.asVector();
                return Value(Vec3{x.x - y.x, x.y - y.y, x.z - y.z});
            }
            const Vec3 v = ta == Type::Vector ? a.asVector() : b.asVector();
            double s = ta == Type::Vector ? b.asFloat() : a.asFloat();
            if (op == '*') return Value(Vec3{v.x * s, v.y * s, v.z * s});
            if (ta != Type::Vector) fail("Illegal operation on a vector.");
            if (s == 0) fail("Division by zero.");
            return Value(Vec3{v.x / s, v.y / s, v.z / s});
        }
        if (ints) {
            std::uint32_t x = static_cast<std::uint32_t>(a.asInt()), y = static_cast<std::uint32_t>(b.asInt());
            if (op == '-') return Value(static_cast<int>(x - y));
            if (op == '*') return Value(static_cast<int>(x * y));
            int xi = a.asInt(), yi = b.asInt();
            if (yi == 0) fail("Division by zero.");
            if (yi == -1) return Value(op == '/' ? static_cast<int>(0u - x) : 0);
            return Value(op == '/' ? xi / yi : xi % yi);
        }
        double x = a.asFloat(), y = b.asFloat();
        if (op == '-') return Value(x - y);
        if (op == '*') return Value(x * y);
        if (y == 0) fail("Division by zero.");
        return Value(op == '/' ? x / y : std::fmod(x, y));
    }
    case '^': {
        if (ta != Type::Vector || tb != Type::Vector) fail("The ^ operator needs two vectors.");
        Vec3 x = a.asVector(), y = b.asVector();
        return Value(Vec3{x.y * y.z - x.z * y.y, x.z * y.x - x.x * y.z, x.x * y.y - x.y * y.x});
    }
    case OpEq:
    case OpNe:
    case '<':
    case '>':
    case OpLe:
    case OpGe: {
        int c;
        if (ta == Type::String && tb == Type::String) {
            int r = a.stringRef().compare(b.stringRef());
            c = r < 0 ? -1 : r > 0 ? 1 : 0;
        } else if (vec) {
            if (op != OpEq && op != OpNe) fail("Illegal comparison of vectors.");
            c = a.asVector() == b.asVector() ? 0 : 1;
        } else if (ints) {
            int x = a.asInt(), y = b.asInt();
            c = x < y ? -1 : x > y ? 1 : 0;
        } else {
            double x = a.asFloat(), y = b.asFloat();
            c = x < y ? -1 : x > y ? 1 : 0;
        }
        switch (op) {
        case OpEq: return Value(c == 0);
        case OpNe: return Value(c != 0);
        case '<': return Value(c < 0);
        case '>': return Value(c > 0);
        case OpLe: return Value(c <= 0);
        default: return Value(c >= 0);
        }
    }
    default: break;
    }
    fail("Syntax error");
}

Value Interpreter::Impl::eval(const Node* n) {
    checkStack();
    switch (n->kind) {
    case NK::Literal: return static_cast<const LiteralN*>(n)->value;
    case NK::Var: {
        curLine = n->line;
        return readVar(static_cast<const VarN*>(n));
    }
    case NK::Unary: {
        auto u = static_cast<const UnaryN*>(n);
        Value v = eval(u->e.get());
        if (u->op == '!') return Value(!v.asBool());
        if (u->op == '+') return v;
        switch (v.type()) {
        case Type::Int: return Value(static_cast<int>(0u - static_cast<std::uint32_t>(v.intRef())));
        case Type::Float: return Value(-v.floatRef());
        case Type::Vector: {
            Vec3 x = v.vectorRef();
            return Value(Vec3{-x.x, -x.y, -x.z});
        }
        case Type::String: return Value(-v.asFloat());
        default: curLine = n->line; fail("Illegal operation on an array.");
        }
    }
    case NK::Binary: {
        auto b = static_cast<const BinaryN*>(n);
        if (b->op == OpAnd) return Value(eval(b->a.get()).asBool() && eval(b->b.get()).asBool());
        if (b->op == OpOr) return Value(eval(b->a.get()).asBool() || eval(b->b.get()).asBool());
        Value x = eval(b->a.get());
        Value y = eval(b->b.get());
        curLine = n->line;
        return binop(b->op, x, y);
    }
    case NK::Ternary: {
        auto t = static_cast<const TernaryN*>(n);
        return eval(t->c.get()).asBool() ? eval(t->a.get()) : eval(t->b.get());
    }
    case NK::Assign: {
        auto a = static_cast<const AssignN*>(n);
        Value v = eval(a->e.get());
        curLine = n->line;
        if (a->op != '=') {
            int op = a->op == OpAddAssign ? '+' : a->op == OpSubAssign ? '-' : a->op == OpMulAssign ? '*' : '/';
            v = binop(op, readVar(a->target.get()), v);
        }
        writeVar(a->target.get(), std::move(v), a->op == '=');
        return readVar(a->target.get());
    }
    case NK::IncDec: {
        auto u = static_cast<const IncDecN*>(n);
        curLine = n->line;
        Value cur = readVar(u->target.get());
        Value nv = binop(u->inc ? '+' : '-', cur, Value(1));
        writeVar(u->target.get(), nv, false);
        return u->prefix ? nv : cur;
    }
    case NK::Call: return evalCall(static_cast<const CallN*>(n));
    case NK::Backquote: return eval(static_cast<const BackquoteN*>(n)->call.get());
    case NK::Array: {
        auto a = static_cast<const ArrayN*>(n);
        std::vector<Value> els;
        els.reserve(a->elems.size());
        Type t = Type::Int;
        bool any = false;
        for (const auto& e : a->elems) {
            els.push_back(eval(e.get()));
            Type et = els.back().type();
            if (isArrayType(et) || et == Type::None) {
                curLine = n->line;
                fail(std::string("Cannot put data of type ") + typeName(et) + " into an array.");
            }
            if (!any) t = et;
            else if (et == Type::String || t == Type::String) t = Type::String;
            else if (et == Type::Vector || t == Type::Vector) t = Type::Vector;
            else if (et == Type::Float || t == Type::Float) t = Type::Float;
            any = true;
        }
        if (!any) return Value(std::vector<std::string>());
        Value out = Value::defaultOf(arrayTypeOf(t));
        for (std::size_t i = 0; i < els.size(); ++i) out.setElement(i, els[i]);
        return out;
    }
    case NK::Vector: {
        auto v = static_cast<const VectorN*>(n);
        double c[3];
        for (int i = 0; i < 3; ++i) c[i] = eval(v->c[i].get()).asFloat();
        return Value(Vec3{c[0], c[1], c[2]});
    }
    case NK::Cast: {
        auto c = static_cast<const CastN*>(n);
        return eval(c->e.get()).convertedTo(c->type);
    }
    default: break;
    }
    curLine = n->line;
    fail("Syntax error");
}

Value Interpreter::Impl::evalCall(const CallN* c) {
    curLine = c->line;
    if (specialForm(c->name) && !procs.count(c->name)) {
        if (c->name == "catch" || c->name == "catchQuiet") {
            if (c->args.size() != 1) fail(c->name + ": Wrong number of arguments.");
            std::size_t scopesBefore = nScopes, frameBefore = frameBase;
            const std::string* fileBefore = curFile;
            int depthBefore = procDepth;
            try {
                eval(c->args[0].get());
            } catch (const MelError& e) {
                while (nScopes > scopesBefore) popScope();
                frameBase = frameBefore;
                curFile = fileBefore;
                procDepth = depthBefore;
                curLine = c->line;
                if (c->name == "catch") self.error(e.msg);
                return Value(1);
            }
            return Value(0);
        }
        if (c->name == "clear") {
            if (c->args.size() != 1 || c->args[0]->kind != NK::Var) fail("clear: needs an array variable.");
            auto v = static_cast<const VarN*>(c->args[0].get());
            Var* var = lookup(v->name);
            if (!var) fail("\"$" + v->name + "\" is an undeclared variable.");
            if (!isArrayType(var->type) || v->index) fail("clear: \"$" + v->name + "\" is not an array.");
            var->value.clearArray();
            return Value();
        }
        // tokenize(string, [separators,] string[] out)
        if (c->args.size() < 2 || c->args.size() > 3 || c->args.back()->kind != NK::Var)
            fail("tokenize: needs a string, optional separators and a string array variable.");
        std::string s = eval(c->args[0].get()).asString();
        std::string seps = c->args.size() == 3 ? eval(c->args[1].get()).asString() : std::string(" \t\n\r");
        std::vector<std::string> parts;
        std::size_t i = 0;
        while (i < s.size()) {
            while (i < s.size() && seps.find(s[i]) != std::string::npos) ++i;
            std::size_t b = i;
            while (i < s.size() && seps.find(s[i]) == std::string::npos) ++i;
            if (i > b) parts.push_back(s.substr(b, i - b));
        }
        int count = static_cast<int>(parts.size());
        curLine = c->line;
        writeVar(static_cast<const VarN*>(c->args.back().get()), Value(std::move(parts)), true);
        return Value(count);
    }
    std::vector<Value> args;
    args.reserve(c->args.size());
    for (const auto& a : c->args) args.push_back(eval(a.get()));
    curLine = c->line;
    return invoke(c->name, args);
}

Value Interpreter::Impl::invoke(const std::string& name, std::vector<Value>& args) {
    auto pit = procs.find(name);
    if (pit != procs.end()) {
        std::shared_ptr<Proc> keep = pit->second;  // the proc may be redefined while it runs
        return callProc(*keep, args);
    }
    auto cit = commands.find(name);
    if (cit == commands.end()) {
        // As the host: an unknown procedure is looked for as <name>.mel on the
        // script path, sourced, and called if the script defined it.
        if (autoLoading.insert(name).second) {
            std::string script = self.findScript(name + ".mel");
            bool loaded = false;
            if (!script.empty()) {
                try {
                    sourceScript(script);
                    loaded = true;
                } catch (...) {
                    autoLoading.erase(name);
                    throw;
                }
            }
            autoLoading.erase(name);
            if (loaded) {
                auto again = procs.find(name);
                if (again != procs.end()) {
                    std::shared_ptr<Proc> keep = again->second;
                    return callProc(*keep, args);
                }
            }
        }
        fail("Cannot find procedure \"" + name + "\".");
    }
    CommandContext ctx(self, name, args);
    try {
        return cit->second(ctx);
    } catch (const CommandError& e) {
        fail(e.what());
    } catch (const MelError&) {
        throw;
    } catch (const std::bad_alloc&) {
        fail(name + ": Out of memory.");
    } catch (const std::exception& e) {
        fail(name + ": " + e.what());
    }
}

Value Interpreter::Impl::callProc(const Proc& p, std::vector<Value>& args) {
    if (args.size() != p.params.size()) fail("Wrong number of arguments on call to " + p.name + ".");
    if (procDepth >= kMaxProcDepth) fail("Maximum recursion depth exceeded in " + p.name + ".");
    checkStack();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].type() == p.params[i].type) continue;
        Value c;
        if (!args[i].convertTo(p.params[i].type, c))
            fail(std::string("Cannot convert data of type ") + typeName(args[i].type()) + " to type " +
                 typeName(p.params[i].type) + " in argument " + std::to_string(i + 1) + " of " + p.name + ".");
        args[i] = std::move(c);
    }
    std::shared_ptr<BlockS> body = p.body;
    ScopeGuard g(*this, true);
    struct DepthCount {
        int& d;
        explicit DepthCount(int& x) : d(x) { ++d; }
        ~DepthCount() { --d; }
    } dc(procDepth);
    for (std::size_t i = 0; i < args.size(); ++i) {
        Var& v = declare(p.params[i].name, p.params[i].type, 0);
        v.value = std::move(args[i]);
    }
    curFile = &p.file;
    Flow f = execBody(body->body);
    if (p.returnType == Type::None) return Value();
    Value r = f == Flow::Return ? std::move(retVal) : Value();
    retVal = Value();
    Value out;
    if (!r.convertTo(p.returnType, out))
        fail(std::string("Cannot convert return value of type ") + typeName(r.type()) + " to type " +
             typeName(p.returnType) + " in " + p.name + ".");
    return out;
}

// ---------------------------------------------------------------- statements

Flow Interpreter::Impl::execBody(const std::vector<NodePtr>& body) {
    for (const auto& s : body) {
        Flow f = exec(s.get());
        if (f != Flow::Normal) return f;
    }
    return Flow::Normal;
}

Flow Interpreter::Impl::exec(const Node* n) {
    checkStack();
    curLine = n->line;
    switch (n->kind) {
    case NK::ExprS:
        lastValue = eval(static_cast<const ExprS*>(n)->e.get());
        return Flow::Normal;
    case NK::Decl: {
        auto d = static_cast<const DeclS*>(n);
        for (const auto& item : d->items) {
            curLine = item.line;
            Type t = item.array ? arrayTypeOf(d->type) : d->type;
            Var& v = d->global ? declareGlobal(item.name, t) : declare(item.name, t, item.line);
            if (item.size) {
                int sz = checkedIndex(*this, eval(item.size.get()));
                curLine = item.line;
                if (v.value.size() < static_cast<std::size_t>(sz) && sz > 0) v.value.setElement(sz - 1, Value::defaultOf(d->type));
            }
            if (item.init) {
                Value init = eval(item.init.get());
                curLine = item.line;
                assign(v, std::move(init));
            } else if (!d->global && !item.size) {
                v.value = Value::defaultOf(t);
            }
        }
        lastValue = Value();
        return Flow::Normal;
    }
    case NK::Block: {
        ScopeGuard g(*this, false);
        return execBody(static_cast<const BlockS*>(n)->body);
    }
    case NK::If: {
        auto s = static_cast<const IfS*>(n);
        if (eval(s->c.get()).asBool()) return exec(s->a.get());
        if (s->b) return exec(s->b.get());
        return Flow::Normal;
    }
    case NK::While: {
        auto s = static_cast<const WhileS*>(n);
        while (eval(s->c.get()).asBool()) {
            Flow f = exec(s->body.get());
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
        }
        return Flow::Normal;
    }
    case NK::Do: {
        auto s = static_cast<const WhileS*>(n);
        do {
            Flow f = exec(s->body.get());
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
        } while (eval(s->c.get()).asBool());
        return Flow::Normal;
    }
    case NK::For: {
        auto s = static_cast<const ForS*>(n);
        ScopeGuard g(*this, false);
        for (const auto& i : s->init) exec(i.get());
        for (;;) {
            if (s->c && !eval(s->c.get()).asBool()) break;
            Flow f = exec(s->body.get());
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
            for (const auto& st : s->step) exec(st.get());
        }
        return Flow::Normal;
    }
    case NK::ForIn: {
        auto s = static_cast<const ForInS*>(n);
        Value arr = eval(s->arr.get());
        curLine = n->line;
        if (!arr.isArray()) fail("The expression after \"in\" must be an array.");
        ScopeGuard g(*this, false);
        Var* var = nullptr;
        if (s->declType != Type::None) var = &declare(s->var->name, s->declType, n->line);
        else if (!(var = lookup(s->var->name))) var = &declare(s->var->name, elementType(arr.type()), n->line);
        for (std::size_t i = 0; i < arr.size(); ++i) {
            assign(*var, arr.element(i));
            Flow f = exec(s->body.get());
            if (f == Flow::Break) break;
            if (f == Flow::Return) return f;
        }
        return Flow::Normal;
    }
    case NK::Switch: {
        auto s = static_cast<const SwitchS*>(n);
        Value v = eval(s->e.get());
        std::size_t start = s->cases.size();
        for (std::size_t i = 0; i < s->cases.size() && start == s->cases.size(); ++i) {
            if (!s->cases[i].value) continue;
            if (binop(OpEq, v, eval(s->cases[i].value.get())).asBool()) start = i;
        }
        if (start == s->cases.size())
            for (std::size_t i = 0; i < s->cases.size(); ++i)
                if (!s->cases[i].value) start = i;
        ScopeGuard g(*this, false);
        for (std::size_t i = start; i < s->cases.size(); ++i) {
            Flow f = execBody(s->cases[i].body);
            if (f == Flow::Break) break;
            if (f != Flow::Normal) return f;
        }
        return Flow::Normal;
    }
    case NK::Break: return Flow::Break;
    case NK::Continue: return Flow::Continue;
    case NK::Return: {
        auto r = static_cast<const ReturnS*>(n);
        retVal = r->e ? eval(r->e.get()) : Value();
        return Flow::Return;
    }
    case NK::Empty: return Flow::Normal;
    case NK::ProcDef: {
        auto p = static_cast<const ProcDefS*>(n)->proc;
        procs[p->name] = p;
        return Flow::Normal;
    }
    default: break;
    }
    eval(n);
    return Flow::Normal;
}

// ---------------------------------------------------------------- running text

Value Interpreter::Impl::runText(std::string_view text, const std::string& file) {
    Lexer lx(text, file);
    Parser p(lx, *this);
    ScopeGuard g(*this, true);
    curFile = &file;
    Value savedLast = std::move(lastValue);
    lastValue = Value();
    struct Restore {
        Value& slot;
        Value& saved;
        ~Restore() { std::swap(slot, saved); }
    };
    Value result;
    {
        Restore r{lastValue, savedLast};  // on exit lastValue is the caller's again, savedLast ours
        std::vector<Value> words;  // reused by every top-level command of this text
        std::string name;
        lx.next();
        while (lx.tok.kind != Tok::End) {
            Token& t = lx.tok;
            if (t.kind == Tok::Op && t.op == ';') {
                lx.next();
                continue;
            }
            if (t.kind == Tok::Ident && !isKeyword(t.text) && !specialForm(t.text) && lx.peekChar() != '(') {
                // Top-level command: words are evaluated as they are read, with
                // no tree, so that scene files stream at lexing speed.
                int line = t.line;
                name.assign(t.text.data(), t.text.size());
                std::size_t n = 0;
                for (;;) {
                    if (n == words.size()) words.emplace_back();
                    Lexer::Word w = lx.word(words[n], false);
                    if (w == Lexer::Word::End) break;
                    if (w == Lexer::Word::Expr) {
                        lx.next();
                        NodePtr e = p.wordExpr();
                        lx.rewind(lx.tok);
                        words[n] = eval(e.get());
                    }
                    ++n;
                }
                lx.next();
                if (lx.tok.kind == Tok::Op && lx.tok.op == ';') lx.next();
                else if (lx.tok.kind != Tok::End) p.syntaxError();
                words.resize(n);
                curLine = line;
                lastValue = invoke(name, words);
                continue;
            }
            NodePtr s = p.statement();
            Flow f = exec(s.get());
            if (f == Flow::Return) {
                lastValue = std::move(retVal);
                retVal = Value();
                break;
            }
        }
        result = std::move(lastValue);
    }
    return result;
}

std::string Interpreter::findScript(const std::string& name) const {
    auto exists = [](const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return f.good();
    };
    if (name.find('/') != std::string::npos) return exists(name) ? name : std::string();
    const char* env = std::getenv("MAYA_SCRIPT_PATH");
    std::string path = env ? env : "";
    std::size_t b = 0;
    while (b <= path.size()) {
        std::size_t e = path.find(':', b);
        if (e == std::string::npos) e = path.size();
        std::string dir = path.substr(b, e - b);
        if (!dir.empty()) {
            std::string full = dir + (dir.back() == '/' ? "" : "/") + name;
            if (exists(full)) return full;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".mel") != 0)
                if (exists(full + ".mel")) return full + ".mel";
        }
        b = e + 1;
    }
    if (exists(name)) return name;
    if (exists(name + ".mel")) return name + ".mel";
    return std::string();
}

Value Interpreter::Impl::sourceScript(const std::string& nameOrPath) {
    std::string path = self.findScript(nameOrPath);
    if (path.empty()) fail("Cannot find file \"" + nameOrPath + "\" for source statement.");
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    if (!f.good() && !f.eof()) fail("Cannot read file \"" + path + "\".");
    std::string text = ss.str();
    return runText(text, path);
}

ExecResult Interpreter::Impl::guarded(const std::function<Value()>& fn, bool reportErrors) {
    ExecResult r;
    char probe;
    bool outer = apiDepth == 0;
    if (outer) stackBase = &probe;
    ++apiDepth;
    try {
        r.value = fn();
    } catch (const MelError& e) {
        r.ok = false;
        r.error = e.msg;
    } catch (const CommandError& e) {
        r.ok = false;
        r.error = e.what();
    } catch (const std::bad_alloc&) {
        r.ok = false;
        r.error = "Out of memory.";
    } catch (const std::exception& e) {
        r.ok = false;
        r.error = e.what();
    }
    --apiDepth;
    if (!r.ok && reportErrors) self.error(r.error);
    if (outer) {
        flushDeferred();
        stackBase = nullptr;
    }
    return r;
}

void Interpreter::Impl::flushDeferred() {
    static thread_local bool flushing = false;
    if (flushing) return;
    flushing = true;
    std::size_t ran = 0;
    while (!deferred.empty()) {
        if (++ran > kMaxDeferredPerFlush) {
            deferred.clear();
            self.error("evalDeferred: too many deferred commands; the rest were dropped.");
            break;
        }
        std::string text = std::move(deferred.front());
        deferred.pop_front();
        static const std::string none;
        guarded([&] { return runText(text, none); }, true);
    }
    flushing = false;
}

// ---------------------------------------------------------------- public API

Interpreter::Interpreter() : impl_(std::make_unique<Impl>(*this)) {
    resetSinks();
    registerBuiltins(*this, *impl_);
}

Interpreter::~Interpreter() = default;

bool Interpreter::registerCommand(const std::string& name, CommandFn fn) {
    if (name.empty() || !fn) return false;
    return impl_->commands.emplace(name, std::move(fn)).second;
}

bool Interpreter::unregisterCommand(const std::string& name) { return impl_->commands.erase(name) > 0; }

bool Interpreter::hasCommand(const std::string& name) const { return impl_->commands.count(name) > 0; }

std::vector<std::string> Interpreter::commandNames() const {
    std::vector<std::string> out;
    for (const auto& c : impl_->commands) out.push_back(c.first);
    std::sort(out.begin(), out.end());
    return out;
}

ExecResult Interpreter::execute(std::string_view text, const std::string& sourceName, bool reportErrors) {
    return impl_->guarded([&] { return impl_->runText(text, sourceName); }, reportErrors);
}

ExecResult Interpreter::sourceFile(const std::string& path, bool reportErrors) {
    return impl_->guarded([&] { return impl_->sourceScript(path); }, reportErrors);
}

bool Interpreter::procExists(const std::string& name) const { return impl_->procs.count(name) > 0; }

ExecResult Interpreter::callProc(const std::string& name, const std::vector<Value>& args, bool reportErrors) {
    return impl_->guarded(
        [&] {
            auto it = impl_->procs.find(name);
            if (it == impl_->procs.end()) impl_->fail("Cannot find procedure \"" + name + "\".");
            std::shared_ptr<Proc> keep = it->second;
            std::vector<Value> a = args;
            return impl_->callProc(*keep, a);
        },
        reportErrors);
}

ExecResult Interpreter::call(const std::string& name, const std::vector<Value>& args, bool reportErrors) {
    return impl_->guarded(
        [&] {
            std::vector<Value> a = args;
            return impl_->invoke(name, a);
        },
        reportErrors);
}

void Interpreter::evalDeferred(const std::string& text) { impl_->deferred.push_back(text); }

void Interpreter::flushDeferred() {
    if (impl_->apiDepth == 0) impl_->flushDeferred();
}

bool Interpreter::globalExists(const std::string& name) const {
    return impl_->globals.count(stripDollar(name)) > 0;
}

bool Interpreter::getGlobal(const std::string& name, Value& out) const {
    auto it = impl_->globals.find(stripDollar(name));
    if (it == impl_->globals.end()) return false;
    out = it->second.value;
    return true;
}

void Interpreter::setGlobal(const std::string& name, const Value& v) {
    std::string n = stripDollar(name);
    auto it = impl_->globals.find(n);
    if (it == impl_->globals.end()) {
        impl_->globals.emplace(n, Var{v.isNone() ? Type::String : v.type(), v.isNone() ? Value(std::string()) : v});
        return;
    }
    it->second.value = v.convertedTo(it->second.type);
}

void Interpreter::setOutputSink(Sink s) { impl_->out = s ? std::move(s) : [](const std::string& t) { std::cout << t << std::flush; }; }
void Interpreter::setWarningSink(Sink s) { impl_->warn = s ? std::move(s) : [](const std::string& t) { std::cerr << t << std::flush; }; }
void Interpreter::setErrorSink(Sink s) { impl_->err = s ? std::move(s) : [](const std::string& t) { std::cerr << t << std::flush; }; }

Interpreter::Sink Interpreter::warningSink() const { return impl_->warn; }

void Interpreter::resetSinks() {
    setOutputSink(nullptr);
    setWarningSink(nullptr);
    setErrorSink(nullptr);
}

void Interpreter::print(const std::string& text) { impl_->out(text); }
void Interpreter::warning(const std::string& msg) { impl_->warn("// Warning: " + msg + " //\n"); }
void Interpreter::error(const std::string& msg) { impl_->err("// Error: " + msg + " //\n"); }

void Interpreter::resetSession() {
    impl_->globals.clear();
    impl_->procs.clear();
    impl_->deferred.clear();
    impl_->rng.seed(12345u);
}

void Interpreter::seedRandom(unsigned seed) { impl_->rng.seed(seed); }

Interpreter& interpreter() {
    static Interpreter instance;
    return instance;
}

}  // namespace host::mel
