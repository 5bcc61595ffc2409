// Turns the syntax tree of a clip-action script into SWF action records.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/actionscript/action_emitter.h"
#include "platform/actionscript/script_parser.h"

namespace platform {

// Compiles the script for SWF version 5 or 6: the action records, ending with the End action.
// Throws ScriptError on what cannot be compiled (break outside a loop, jumps or records too long).
std::vector<uint8_t> GenerateActions(const ScriptTree &tree, int version);

class ScriptCodeGen {
public:
    explicit ScriptCodeGen(int version) : version_(version) {}

    std::vector<uint8_t> Run(const ScriptTree &tree);

private:
    // What `break` and `continue` inside a loop or switch jump to.
    struct Loop {
        enum Kind { Plain, ForIn, Switch } kind;
        int breakLabel;
        int continueLabel;  // -1 for a switch
        bool broken = false;
    };

    // Statements.
    void Statements(const std::vector<NodePtr> &list, bool hoistFunctions);
    void Statement(const Node &n);
    void VarStatement(const Node &n);
    void IfStatement(const Node &n);
    void LoopStatement(const Node &n);
    void ForInStatement(const Node &n);
    void SwitchStatement(const Node &n);
    void BreakStatement(const Node &n, bool isContinue);
    void ReturnStatement(const Node &n);
    void ScopedBody(const Node &n);
    void Function(const Node &n);
    void JumpIfFalse(const Node &condition, int label);
    void DropForInNames(int line);

    // Expressions: Value leaves one value on the stack, Discard none.
    void Value(const Node &n);
    void Discard(const Node &n);
    void Expression(const Node &n, bool wantValue);
    void Unary(const Node &n);
    void BinaryOperator(const std::string &op, int line);
    void Logical(const Node &n);
    void Conditional(const Node &n);
    void Call(const Node &n, bool wantValue);
    void New(const Node &n);
    void Arguments(const Node &n);
    void Assign(const Node &n, bool wantValue);
    void Update(const Node &n, bool wantValue);
    void PushTarget(const Node &target);
    void LoadTarget(const Node &target);
    void StoreTarget(const Node &target);

    // Global functions that are timeline actions (gotoAndPlay, getURL, trace, ...). False when
    // the call is none of them, and nothing is written.
    bool TimelineCall(const Node &call, bool wantValue);
    bool GotoCall(const Node &call, bool play);
    bool UrlCall(const Node &call, const std::string &name);
    bool PropertyCall(const Node &call, bool set);
    void LevelTarget(const Node &level);
    uint8_t UrlMethod(const Node &call, size_t argument);

    void RequireVersion6(int line) const;

    ActionEmitter e_;
    int version_;
    std::vector<Loop> loops_;  // of the function being compiled
    int functionDepth_ = 0;
};

}  // namespace platform
