// Recursive-descent parser of the clip-action compiler.
#include "platform/actionscript/script_parser.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace platform {

namespace {

constexpr std::string_view kReserved[] = {
    "break", "case",  "continue", "default", "delete", "do",     "else",   "for",
    "function", "if", "in",       "instanceof", "new", "return", "switch", "this",
    "typeof", "var",  "void",     "while",   "with",   "true",   "false",  "null"};

bool IsReserved(std::string_view name)
{
    return std::find(std::begin(kReserved), std::end(kReserved), name) != std::end(kReserved);
}

// Binding power of a binary operator (higher binds tighter), 0 when the token is none.
int BinaryPrecedence(const Token &t)
{
    if (t.kind == TokenKind::Name) {
        if (t.text == "instanceof") {
            return 7;
        }
        return t.text == "add" && !t.newlineBefore ? 9 : 0;
    }
    if (t.kind != TokenKind::Punct) {
        return 0;
    }
    static const std::pair<std::string_view, int> table[] = {
        {"||", 1}, {"&&", 2}, {"|", 3},  {"^", 4},   {"&", 5},   {"==", 6},  {"!=", 6},
        {"===", 6}, {"!==", 6}, {"<", 7}, {">", 7},  {"<=", 7},  {">=", 7},  {"<<", 8},
        {">>", 8}, {">>>", 8}, {"+", 9}, {"-", 9},   {"*", 10},  {"/", 10},  {"%", 10}};
    for (const auto &[op, precedence] : table) {
        if (t.text == op) {
            return precedence;
        }
    }
    return 0;
}

bool IsAssignOperator(const Token &t)
{
    static constexpr std::string_view ops[] = {"=",  "+=", "-=",  "*=",  "/=",  "%=",
                                               "&=", "|=", "^=", "<<=", ">>=", ">>>="};
    return t.kind == TokenKind::Punct &&
           std::find(std::begin(ops), std::end(ops), t.text) != std::end(ops);
}

bool IsTarget(const Node &n)
{
    return n.kind == NodeKind::Name || n.kind == NodeKind::Member || n.kind == NodeKind::Index;
}

class Parser {
public:
    explicit Parser(const std::vector<Token> &tokens) : t_(tokens) {}

    ScriptTree Run()
    {
        ScriptTree tree;
        while (Peek().kind != TokenKind::End) {
            tree.statements.push_back(Statement());
        }
        return tree;
    }

private:
    // Counts the parser's recursion and refuses nesting beyond the limit.
    struct Nesting {
        explicit Nesting(Parser &p) : p_(p)
        {
            if (++p_.nesting_ > kMaxScriptNesting) {
                p_.Fail("入れ子が深すぎます");
            }
        }
        ~Nesting() { --p_.nesting_; }
        Parser &p_;
    };

    const Token &Peek(size_t ahead = 0) const
    {
        return t_[std::min(pos_ + ahead, t_.size() - 1)];
    }
    const Token &Take()
    {
        const Token &t = t_[pos_];
        if (pos_ + 1 < t_.size()) {
            ++pos_;
        }
        return t;
    }
    bool Is(std::string_view text, size_t ahead = 0) const
    {
        const Token &t = Peek(ahead);
        return (t.kind == TokenKind::Punct || t.kind == TokenKind::Name) && t.text == text;
    }
    bool Accept(std::string_view text)
    {
        if (!Is(text)) {
            return false;
        }
        Take();
        return true;
    }

    [[noreturn]] void Fail(const std::string &message) const
    {
        throw ScriptError{message, Peek().line};
    }
    [[noreturn]] void Unexpected() const
    {
        const Token &t = Peek();
        if (t.kind == TokenKind::End) {
            Fail("スクリプトが途中で終わっています");
        }
        if (t.kind == TokenKind::String) {
            Fail("ここに文字列は書けません");
        }
        if (t.kind == TokenKind::Number) {
            Fail("ここに数値は書けません");
        }
        Fail("'" + t.text + "' はここに書けません");
    }
    void Expect(std::string_view text)
    {
        if (!Accept(text)) {
            if (Peek().kind == TokenKind::End) {
                Unexpected();
            }
            std::string message = "'";
            message.append(text).append("' が必要です");
            Fail(message);
        }
    }
    std::string ExpectName()
    {
        const Token &t = Peek();
        if (t.kind != TokenKind::Name || IsReserved(t.text)) {
            if (t.kind == TokenKind::End) {
                Unexpected();
            }
            Fail("名前が必要です");
        }
        return Take().text;
    }
    // A statement ends with ";", or without one before "}", "else", the end, or a line break.
    void EndStatement()
    {
        if (Accept(";")) {
            return;
        }
        const Token &t = Peek();
        if (t.kind == TokenKind::End || t.newlineBefore || Is("}") || Is("else")) {
            return;
        }
        Fail("';' が必要です");
    }

    NodePtr Make(NodeKind kind, int line, std::initializer_list<NodePtr *> kids = {})
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->line = line;
        for (NodePtr *kid : kids) {
            node->kids.push_back(std::move(*kid));
        }
        return node;
    }
    // Sets the node's depth from its children; refuses trees deeper than the limit.
    NodePtr Finish(NodePtr node)
    {
        int deepest = 0;
        for (const NodePtr &kid : node->kids) {
            if (kid) {
                deepest = std::max(deepest, kid->depth);
            }
        }
        node->depth = deepest + 1;
        if (node->depth > kMaxScriptNesting) {
            throw ScriptError{"入れ子が深すぎます", node->line};
        }
        return node;
    }

    // ---- statements ----

    NodePtr Statement()
    {
        Nesting nesting(*this);
        const Token &t = Peek();
        int line = t.line;
        if (t.kind == TokenKind::Punct) {
            if (t.text == "{") {
                return BlockStatement();
            }
            if (t.text == ";") {
                Take();
                return Make(NodeKind::Empty, line);
            }
        }
        if (t.kind == TokenKind::Name) {
            const std::string &w = t.text;
            if (w == "var") {
                NodePtr n = VarList();
                EndStatement();
                return n;
            }
            if (w == "if") {
                return IfStatement();
            }
            if (w == "while") {
                Take();
                NodePtr cond = Condition();
                NodePtr body = Statement();
                return Finish(Make(NodeKind::While, line, {&cond, &body}));
            }
            if (w == "do") {
                Take();
                NodePtr body = Statement();
                Expect("while");
                NodePtr cond = Condition();
                Accept(";");  // optional even on the same line
                return Finish(Make(NodeKind::DoWhile, line, {&body, &cond}));
            }
            if (w == "for") {
                return ForStatement();
            }
            if (w == "break" || w == "continue") {
                Take();
                EndStatement();
                return Make(w == "break" ? NodeKind::Break : NodeKind::Continue, line);
            }
            if (w == "return") {
                Take();
                NodePtr value;
                if (!Is(";") && !Is("}") && Peek().kind != TokenKind::End && !Peek().newlineBefore) {
                    value = Expression();
                }
                EndStatement();
                return Finish(Make(NodeKind::Return, line, {&value}));
            }
            if (w == "function" && Peek(1).kind == TokenKind::Name) {
                return FunctionNode(true);
            }
            if ((w == "with" || w == "tellTarget") && Is("(", 1)) {
                bool with = w == "with";
                Take();
                NodePtr object = Condition();
                NodePtr body = Statement();
                return Finish(Make(with ? NodeKind::With : NodeKind::TellTarget, line, {&object, &body}));
            }
            if (w == "switch") {
                return SwitchStatement();
            }
        }
        NodePtr expr = Expression();
        EndStatement();
        return Finish(Make(NodeKind::ExprStatement, line, {&expr}));
    }

    NodePtr BlockStatement()
    {
        NodePtr block = Make(NodeKind::Block, Peek().line);
        Expect("{");
        while (!Is("}")) {
            if (Peek().kind == TokenKind::End) {
                Fail("'}' が必要です");
            }
            block->kids.push_back(Statement());
        }
        Take();
        return Finish(std::move(block));
    }

    NodePtr Condition()
    {
        Expect("(");
        NodePtr cond = Expression();
        Expect(")");
        return cond;
    }

    NodePtr IfStatement()
    {
        int line = Take().line;
        NodePtr cond = Condition();
        NodePtr then = Statement();
        NodePtr otherwise;
        if (Accept("else")) {
            otherwise = Statement();
        }
        return Finish(Make(NodeKind::If, line, {&cond, &then, &otherwise}));
    }

    // "var" a [= value], b ...
    NodePtr VarList()
    {
        NodePtr n = Make(NodeKind::Var, Take().line);
        do {
            n->names.push_back(ExpectName());
            n->kids.push_back(Accept("=") ? Assignment() : nullptr);
        } while (Accept(","));
        return Finish(std::move(n));
    }

    NodePtr ForStatement()
    {
        int line = Take().line;
        Expect("(");
        NodePtr init;
        if (Is("var")) {
            if (Peek(1).kind == TokenKind::Name && Is("in", 2)) {
                Take();
                NodePtr target = Make(NodeKind::Name, Peek().line);
                target->text = ExpectName();
                return ForInRest(line, std::move(target), true);
            }
            init = VarList();
        } else if (!Is(";")) {
            init = Expression();
            if (Is("in")) {
                if (!IsTarget(*init)) {
                    Fail("代入先が正しくありません");
                }
                return ForInRest(line, std::move(init), false);
            }
            init = Finish(Make(NodeKind::ExprStatement, init->line, {&init}));
        }
        Expect(";");
        NodePtr cond = Is(";") ? nullptr : Expression();
        Expect(";");
        NodePtr update = Is(")") ? nullptr : Expression();
        Expect(")");
        NodePtr body = Statement();
        return Finish(Make(NodeKind::For, line, {&init, &cond, &update, &body}));
    }

    NodePtr ForInRest(int line, NodePtr target, bool declared)
    {
        Expect("in");
        NodePtr object = Expression();
        Expect(")");
        NodePtr body = Statement();
        NodePtr n = Make(NodeKind::ForIn, line, {&target, &object, &body});
        n->prefix = declared;
        return Finish(std::move(n));
    }

    NodePtr SwitchStatement()
    {
        int line = Take().line;
        NodePtr value = Condition();
        NodePtr n = Make(NodeKind::Switch, line, {&value});
        Expect("{");
        bool sawDefault = false;
        while (!Accept("}")) {
            NodePtr label;
            if (Accept("case")) {
                label = Expression();
            } else if (Is("default")) {
                if (sawDefault) {
                    Fail("default が二つあります");
                }
                sawDefault = true;
                Take();
            } else {
                Fail(Peek().kind == TokenKind::End ? "'}' が必要です" : "case または default が必要です");
            }
            Expect(":");
            NodePtr body = Make(NodeKind::Block, Peek().line);
            while (!Is("case") && !Is("default") && !Is("}") && Peek().kind != TokenKind::End) {
                body->kids.push_back(Statement());
            }
            n->kids.push_back(std::move(label));
            n->kids.push_back(Finish(std::move(body)));
        }
        return Finish(std::move(n));
    }

    // "function" [name] (params) { body }
    NodePtr FunctionNode(bool declaration)
    {
        NodePtr n = Make(NodeKind::Function, Take().line);
        if (Peek().kind == TokenKind::Name && !Is("(")) {
            std::string name = ExpectName();
            if (declaration) {
                n->text = name;
            }
        }
        Expect("(");
        if (!Accept(")")) {
            do {
                n->names.push_back(ExpectName());
            } while (Accept(","));
            Expect(")");
        }
        Expect("{");
        while (!Accept("}")) {
            if (Peek().kind == TokenKind::End) {
                Fail("'}' が必要です");
            }
            n->kids.push_back(Statement());
        }
        return Finish(std::move(n));
    }

    // ---- expressions ----

    NodePtr Expression()
    {
        NodePtr left = Assignment();
        while (Is(",")) {
            int line = Take().line;
            NodePtr right = Assignment();
            left = Finish(Make(NodeKind::Comma, line, {&left, &right}));
        }
        return left;
    }

    NodePtr Assignment()
    {
        Nesting nesting(*this);
        NodePtr left = Binary(1);
        if (Accept("?")) {
            int line = left->line;
            NodePtr then = Assignment();
            Expect(":");
            NodePtr otherwise = Assignment();
            return Finish(Make(NodeKind::Conditional, line, {&left, &then, &otherwise}));
        }
        if (IsAssignOperator(Peek())) {
            if (!IsTarget(*left)) {
                Fail("代入先が正しくありません");
            }
            const Token &op = Take();
            NodePtr value = Assignment();
            NodePtr n = Make(NodeKind::Assign, op.line, {&left, &value});
            n->text = op.text;
            return Finish(std::move(n));
        }
        return left;
    }

    // Binary operators of at least the given precedence, left-associative.
    NodePtr Binary(int minPrecedence)
    {
        NodePtr left = Unary();
        while (true) {
            int precedence = BinaryPrecedence(Peek());
            if (precedence < minPrecedence || precedence == 0) {
                return left;
            }
            const Token &op = Take();
            NodePtr right = Binary(precedence + 1);
            NodeKind kind = op.text == "&&" ? NodeKind::And
                            : op.text == "||" ? NodeKind::Or
                                              : NodeKind::Binary;
            NodePtr n = Make(kind, op.line, {&left, &right});
            n->text = op.text;
            left = Finish(std::move(n));
        }
    }

    NodePtr Unary()
    {
        Nesting nesting(*this);
        const Token &t = Peek();
        bool punct = t.kind == TokenKind::Punct;
        bool word = t.kind == TokenKind::Name;
        if ((punct && (t.text == "-" || t.text == "+" || t.text == "!" || t.text == "~")) ||
            (word && (t.text == "typeof" || t.text == "void" || t.text == "delete"))) {
            const Token &op = Take();
            NodePtr operand = Unary();
            if (op.text == "+") {
                return operand;  // unary plus leaves the value as it is
            }
            if (op.text == "-" && operand->kind == NodeKind::Number) {
                operand->number = -operand->number;
                return operand;
            }
            NodePtr n = Make(NodeKind::Unary, op.line, {&operand});
            n->text = op.text;
            return Finish(std::move(n));
        }
        if (punct && (t.text == "++" || t.text == "--")) {
            const Token &op = Take();
            NodePtr operand = Unary();
            return UpdateNode(op, std::move(operand), true);
        }
        NodePtr n = Postfix();
        if ((Is("++") || Is("--")) && !Peek().newlineBefore) {
            const Token &op = Take();
            return UpdateNode(op, std::move(n), false);
        }
        return n;
    }

    NodePtr UpdateNode(const Token &op, NodePtr target, bool prefix)
    {
        if (!IsTarget(*target)) {
            throw ScriptError{"代入先が正しくありません", op.line};
        }
        NodePtr n = Make(NodeKind::Update, op.line, {&target});
        n->text = op.text;
        n->prefix = prefix;
        return Finish(std::move(n));
    }

    NodePtr Postfix()
    {
        NodePtr n = Is("new") ? NewExpression() : Primary();
        while (true) {
            if (Is(".") || Is("[")) {
                n = Access(std::move(n));
            } else if (Is("(")) {
                NodePtr call = Make(NodeKind::Call, Peek().line, {&n});
                Arguments(*call);
                n = Finish(std::move(call));
            } else {
                return n;
            }
        }
    }

    // "new" callee [arguments]; the callee takes member access but no calls.
    NodePtr NewExpression()
    {
        Nesting nesting(*this);
        int line = Take().line;
        NodePtr callee = Is("new") ? NewExpression() : Primary();
        while (Is(".") || Is("[")) {
            callee = Access(std::move(callee));
        }
        NodePtr n = Make(NodeKind::New, line, {&callee});
        if (Is("(")) {
            Arguments(*n);
        }
        return Finish(std::move(n));
    }

    NodePtr Access(NodePtr object)
    {
        int line = Peek().line;
        if (Accept(".")) {
            const Token &t = Peek();
            if (t.kind != TokenKind::Name) {
                Fail("'.' の後に名前が必要です");
            }
            NodePtr n = Make(NodeKind::Member, line, {&object});
            n->text = Take().text;
            return Finish(std::move(n));
        }
        Expect("[");
        NodePtr key = Expression();
        Expect("]");
        return Finish(Make(NodeKind::Index, line, {&object, &key}));
    }

    void Arguments(Node &call)
    {
        Expect("(");
        if (Accept(")")) {
            return;
        }
        do {
            call.kids.push_back(Assignment());
        } while (Accept(","));
        Expect(")");
    }

    NodePtr Primary()
    {
        const Token &t = Peek();
        int line = t.line;
        if (t.kind == TokenKind::Number) {
            NodePtr n = Make(NodeKind::Number, line);
            n->number = Take().number;
            return n;
        }
        if (t.kind == TokenKind::String) {
            NodePtr n = Make(NodeKind::String, line);
            n->text = Take().text;
            return n;
        }
        if (t.kind == TokenKind::Name) {
            static const std::pair<std::string_view, NodeKind> literals[] = {
                {"true", NodeKind::True}, {"false", NodeKind::False},
                {"null", NodeKind::Null}, {"undefined", NodeKind::Undefined}};
            for (const auto &[word, kind] : literals) {
                if (t.text == word) {
                    Take();
                    return Make(kind, line);
                }
            }
            if (t.text == "function") {
                return FunctionNode(false);
            }
            if (t.text == "this" || !IsReserved(t.text)) {
                NodePtr n = Make(NodeKind::Name, line);
                n->text = Take().text;
                return n;
            }
            Unexpected();
        }
        if (Accept("(")) {
            NodePtr n = Expression();
            Expect(")");
            return n;
        }
        if (Accept("[")) {
            NodePtr n = Make(NodeKind::ArrayLiteral, line);
            while (!Accept("]")) {
                if (Is(",")) {
                    n->kids.push_back(Make(NodeKind::Undefined, Take().line));
                    continue;
                }
                n->kids.push_back(Assignment());
                if (!Is("]")) {
                    Expect(",");
                }
            }
            return Finish(std::move(n));
        }
        if (Accept("{")) {
            NodePtr n = Make(NodeKind::ObjectLiteral, line);
            while (!Accept("}")) {
                const Token &key = Peek();
                if (key.kind == TokenKind::Name || key.kind == TokenKind::String) {
                    n->names.push_back(Take().text);
                } else if (key.kind == TokenKind::Number) {
                    n->names.push_back(NumberKey(Take().number));
                } else {
                    Fail(key.kind == TokenKind::End ? "'}' が必要です" : "プロパティ名が必要です");
                }
                Expect(":");
                n->kids.push_back(Assignment());
                if (!Is("}")) {
                    Expect(",");
                }
            }
            return Finish(std::move(n));
        }
        Unexpected();
    }

    // The property name a number key stands for (integers without a fraction).
    static std::string NumberKey(double v)
    {
        if (v >= -1e15 && v <= 1e15 && v == static_cast<double>(static_cast<long long>(v))) {
            return std::to_string(static_cast<long long>(v));
        }
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        return std::string(buffer, result.ptr);
    }

    const std::vector<Token> &t_;
    size_t pos_ = 0;
    int nesting_ = 0;
};

}  // namespace

ScriptTree ParseScript(const std::vector<Token> &tokens)
{
    return Parser(tokens).Run();
}

}  // namespace platform
