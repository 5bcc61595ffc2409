// Syntax tree of ActionScript 1.0 source for the clip-action compiler.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/actionscript/script_lexer.h"

namespace platform {

// Deepest nesting of statements and expressions a script may have. It bounds the recursion of
// the parser, the code generator and the tree's destruction.
constexpr int kMaxScriptNesting = 200;

enum class NodeKind {
    // Expressions.
    Number,       // number
    String,       // text
    True,
    False,
    Null,
    Undefined,
    Name,         // text: the variable name
    Member,       // kids[0].text
    Index,        // kids[0][kids[1]]
    Call,         // kids[0](kids[1..])
    New,          // new kids[0](kids[1..])
    Unary,        // text: "-", "!", "~", "typeof", "void", "delete"; kids[0]
    Binary,       // text: the operator; kids[0], kids[1]
    And,          // kids[0] && kids[1]
    Or,           // kids[0] || kids[1]
    Conditional,  // kids[0] ? kids[1] : kids[2]
    Assign,       // text: "=" or a compound operator; kids[0] the target, kids[1] the value
    Update,       // text: "++" or "--", prefix; kids[0] the target
    ArrayLiteral, // kids: the elements
    ObjectLiteral,// names: the keys, kids: the values
    Function,     // text: name (declarations), names: parameters, kids: body statements
    Comma,        // kids[0], kids[1]
    // Statements.
    ExprStatement,  // kids[0]
    Var,            // names, kids: initial value or nullptr for each
    Block,          // kids
    If,             // kids[0] condition, kids[1] then, kids[2] else or nullptr
    While,          // kids[0] condition, kids[1] body
    DoWhile,        // kids[0] body, kids[1] condition
    For,            // kids[0] init, kids[1] condition, kids[2] update (each may be nullptr), kids[3] body
    ForIn,          // prefix: declared with var; kids[0] target, kids[1] object, kids[2] body
    Break,
    Continue,
    Return,         // kids[0] value or nullptr
    With,           // kids[0] object, kids[1] body
    TellTarget,     // kids[0] target, kids[1] body
    Switch,         // kids[0] value, then (case value or nullptr for default, Block body) pairs
    Empty,
};

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    NodeKind kind = NodeKind::Empty;
    int line = 1;
    int depth = 1;  // 1 + the deepest child
    double number = 0.0;
    bool prefix = false;
    std::string text;
    std::vector<std::string> names;
    std::vector<NodePtr> kids;

    bool IsStatementFunction() const { return kind == NodeKind::Function && !text.empty(); }
};

// The statements of a whole script.
struct ScriptTree {
    std::vector<NodePtr> statements;
};

// Parses tokenized source. Throws ScriptError on a syntax error or too deep nesting.
ScriptTree ParseScript(const std::vector<Token> &tokens);

}  // namespace platform
