#pragma once
// Recursive-descent parser over the lexer. The interpreter asks for one
// statement at a time, so large files never become one tree.
#include "mel/impl.h"

namespace host::mel {

bool isKeyword(std::string_view w);

class Parser {
public:
    Parser(Lexer& lx, Interpreter::Impl& impl) : lx_(lx), impl_(impl) {}

    // The current token starts a statement; on return it is the one after it.
    NodePtr statement();
    NodePtr expression();
    // After the command name (the current token): the words up to ';', the
    // end, or the closing backquote, which becomes the current token.
    std::unique_ptr<CallN> commandCall(bool inBackquote);
    // A command-syntax word that is an expression ($var, (expr), {..}, <<..>>, `..`).
    NodePtr wordExpr();

    [[noreturn]] void syntaxError();

private:
    struct DepthGuard;
    bool isOp(int op) const;
    bool isIdent(const char* w) const;
    void expect(int op);
    void endStatement();
    NodePtr block();
    NodePtr declaration(bool global);
    void declItems(DeclS& d);
    NodePtr procDef(bool global);
    NodePtr ifStatement();
    NodePtr whileStatement();
    NodePtr doStatement();
    NodePtr forStatement();
    NodePtr switchStatement();
    NodePtr ternary();
    NodePtr binary(int minPrec);
    NodePtr unary();
    NodePtr postfix();
    NodePtr primary();

    Lexer& lx_;
    Interpreter::Impl& impl_;
    int depth_ = 0;
};

}  // namespace host::mel
