// Code generation of the clip-action compiler: statements and expressions.
#include "platform/actionscript/script_codegen.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Registers: 0 carries the value of an assignment used as a value (and the for..in name),
// 1 and 2 hold an object and key while a compound assignment reads the member.
constexpr uint8_t kValueRegister = 0, kObjectRegister = 1, kKeyRegister = 2;

}  // namespace

std::vector<uint8_t> GenerateActions(const ScriptTree &tree, int version)
{
    return ScriptCodeGen(version).Run(tree);
}

std::vector<uint8_t> ScriptCodeGen::Run(const ScriptTree &tree)
{
    Statements(tree.statements, true);
    return e_.Finish();
}

void ScriptCodeGen::RequireVersion6(int line) const
{
    if (version_ < 6) {
        throw ScriptError{"この構文には SWF 6 が必要です", line};
    }
}

// ---- statements ----

// Function declarations are defined before the other statements of a script or function body,
// so they can be called from code above them.
void ScriptCodeGen::Statements(const std::vector<NodePtr> &list, bool hoistFunctions)
{
    if (hoistFunctions) {
        for (const NodePtr &n : list) {
            if (n->IsStatementFunction()) {
                Function(*n);
            }
        }
    }
    for (const NodePtr &n : list) {
        if (!(hoistFunctions && n->IsStatementFunction())) {
            Statement(*n);
        }
    }
}

void ScriptCodeGen::Statement(const Node &n)
{
    switch (n.kind) {
    case NodeKind::Empty:
        break;
    case NodeKind::ExprStatement:
        Discard(*n.kids[0]);
        break;
    case NodeKind::Var:
        VarStatement(n);
        break;
    case NodeKind::Block:
        Statements(n.kids, false);
        break;
    case NodeKind::If:
        IfStatement(n);
        break;
    case NodeKind::While:
    case NodeKind::DoWhile:
    case NodeKind::For:
        LoopStatement(n);
        break;
    case NodeKind::ForIn:
        ForInStatement(n);
        break;
    case NodeKind::Switch:
        SwitchStatement(n);
        break;
    case NodeKind::Break:
    case NodeKind::Continue:
        BreakStatement(n, n.kind == NodeKind::Continue);
        break;
    case NodeKind::Return:
        ReturnStatement(n);
        break;
    case NodeKind::With:
    case NodeKind::TellTarget:
        ScopedBody(n);
        break;
    case NodeKind::Function:
        Function(n);
        break;
    default:
        Discard(n);
        break;
    }
}

void ScriptCodeGen::VarStatement(const Node &n)
{
    for (size_t i = 0; i < n.names.size(); ++i) {
        e_.PushString(n.names[i], n.line);
        if (n.kids[i]) {
            Value(*n.kids[i]);
            e_.Op(op::DefineLocal);
        } else {
            e_.Op(op::DefineLocal2);
        }
    }
}

void ScriptCodeGen::JumpIfFalse(const Node &condition, int label)
{
    if (condition.kind == NodeKind::Unary && condition.text == "!") {
        Value(*condition.kids[0]);
    } else {
        Value(condition);
        e_.Op(op::Not);
    }
    e_.If(label, condition.line);
}

void ScriptCodeGen::IfStatement(const Node &n)
{
    int otherwise = e_.NewLabel();
    JumpIfFalse(*n.kids[0], otherwise);
    Statement(*n.kids[1]);
    if (n.kids[2]) {
        int end = e_.NewLabel();
        e_.Jump(end, n.line);
        e_.Bind(otherwise);
        Statement(*n.kids[2]);
        e_.Bind(end);
    } else {
        e_.Bind(otherwise);
    }
}

// while, do..while and for.
void ScriptCodeGen::LoopStatement(const Node &n)
{
    int top = e_.NewLabel();
    int next = e_.NewLabel();
    int end = e_.NewLabel();
    const Node *condition = nullptr;
    const Node *body = nullptr;
    const Node *update = nullptr;
    if (n.kind == NodeKind::While) {
        condition = n.kids[0].get();
        body = n.kids[1].get();
    } else if (n.kind == NodeKind::DoWhile) {
        body = n.kids[0].get();
        condition = n.kids[1].get();
    } else {
        if (n.kids[0]) {
            Statement(*n.kids[0]);
        }
        condition = n.kids[1].get();
        update = n.kids[2].get();
        body = n.kids[3].get();
    }
    e_.Bind(top);
    if (n.kind != NodeKind::DoWhile && condition) {
        JumpIfFalse(*condition, end);
    }
    loops_.push_back({Loop::Plain, end, next});
    Statement(*body);
    loops_.pop_back();
    e_.Bind(next);
    if (n.kind == NodeKind::DoWhile) {
        Value(*condition);
        e_.If(top, n.line);
    } else {
        if (update) {
            Discard(*update);
        }
        e_.Jump(top, n.line);
    }
    e_.Bind(end);
}

// Enumerate2 leaves null and then the names on the stack; each turn takes one name until the
// null comes up. Leaving early drops the names that are left.
void ScriptCodeGen::ForInStatement(const Node &n)
{
    const Node &target = *n.kids[0];
    const Node &object = *n.kids[1];
    if (version_ >= 6) {
        Value(object);
        e_.Op(op::Enumerate2);
    } else if (object.kind == NodeKind::Name) {
        e_.PushString(object.text, object.line);
        e_.Op(op::Enumerate);
    } else {
        RequireVersion6(n.line);
    }
    int top = e_.NewLabel();
    int drop = e_.NewLabel();
    int end = e_.NewLabel();
    e_.Bind(top);
    e_.StoreRegister(kValueRegister, n.line);
    e_.PushNull(n.line);
    e_.Op(op::Equals2);
    e_.If(end, n.line);
    PushTarget(target);
    e_.PushRegister(kValueRegister, n.line);
    if (n.prefix) {
        e_.Op(op::DefineLocal);
    } else {
        StoreTarget(target);
    }
    loops_.push_back({Loop::ForIn, drop, top});
    Statement(*n.kids[2]);
    bool broken = loops_.back().broken;
    loops_.pop_back();
    e_.Jump(top, n.line);
    if (broken) {
        e_.Bind(drop);
        DropForInNames(n.line);
    }
    e_.Bind(end);
}

// Pops names of a for..in loop up to and including its null.
void ScriptCodeGen::DropForInNames(int line)
{
    int again = e_.NewLabel();
    e_.Bind(again);
    e_.PushNull(line);
    e_.Op(op::Equals2);
    e_.Op(op::Not);
    e_.If(again, line);
}

// The value stays on the stack while the cases are compared; each match leads through a stub
// that pops it to the case's statements, which fall through to the next case.
void ScriptCodeGen::SwitchStatement(const Node &n)
{
    Value(*n.kids[0]);
    size_t caseCount = (n.kids.size() - 1) / 2;
    std::vector<int> matched(caseCount), bodies(caseCount);
    int end = e_.NewLabel();
    int fallback = end;
    for (size_t i = 0; i < caseCount; ++i) {
        bodies[i] = e_.NewLabel();
        const NodePtr &label = n.kids[1 + 2 * i];
        if (!label) {
            fallback = bodies[i];
            continue;
        }
        matched[i] = e_.NewLabel();
        e_.Op(op::PushDuplicate);
        Value(*label);
        e_.Op(version_ >= 6 ? op::StrictEquals : op::Equals2);
        e_.If(matched[i], label->line);
    }
    e_.Op(op::Pop);
    e_.Jump(fallback, n.line);
    for (size_t i = 0; i < caseCount; ++i) {
        if (n.kids[1 + 2 * i]) {
            e_.Bind(matched[i]);
            e_.Op(op::Pop);
            e_.Jump(bodies[i], n.line);
        }
    }
    loops_.push_back({Loop::Switch, end, -1});
    for (size_t i = 0; i < caseCount; ++i) {
        e_.Bind(bodies[i]);
        Statement(*n.kids[2 + 2 * i]);
    }
    loops_.pop_back();
    e_.Bind(end);
}

void ScriptCodeGen::BreakStatement(const Node &n, bool isContinue)
{
    for (auto loop = loops_.rbegin(); loop != loops_.rend(); ++loop) {
        if (!isContinue) {
            loop->broken = true;
            e_.Jump(loop->breakLabel, n.line);
            return;
        }
        if (loop->kind != Loop::Switch) {
            e_.Jump(loop->continueLabel, n.line);
            return;
        }
    }
    throw ScriptError{isContinue ? "continue はループの中でしか使えません"
                                 : "break はループか switch の中でしか使えません",
                      n.line};
}

void ScriptCodeGen::ReturnStatement(const Node &n)
{
    if (n.kids[0]) {
        Value(*n.kids[0]);
    } else {
        e_.PushUndefined(n.line);
    }
    bool insideForIn = std::any_of(loops_.begin(), loops_.end(),
                                   [](const Loop &l) { return l.kind == Loop::ForIn; });
    if (insideForIn) {
        // Names of the loops being left are dropped from the stack first.
        e_.StoreRegister(kValueRegister, n.line);
        e_.Op(op::Pop);
        for (auto loop = loops_.rbegin(); loop != loops_.rend(); ++loop) {
            if (loop->kind == Loop::ForIn) {
                DropForInNames(n.line);
            }
        }
        e_.PushRegister(kValueRegister, n.line);
    }
    e_.Op(op::Return);
}

// with (object) { ... } and tellTarget (target) { ... }.
void ScriptCodeGen::ScopedBody(const Node &n)
{
    const Node &scope = *n.kids[0];
    if (n.kind == NodeKind::With) {
        Value(scope);
        size_t sizeAt = e_.BeginSized(op::With, {}, n.line);
        Statement(*n.kids[1]);
        e_.EndSized(sizeAt, n.line);
        return;
    }
    if (scope.kind == NodeKind::String) {
        std::vector<uint8_t> data;
        ActionEmitter::AppendString(data, scope.text, scope.line);
        e_.Record(op::SetTarget, data, n.line);
    } else {
        Value(scope);
        e_.Op(op::SetTarget2);
    }
    Statement(*n.kids[1]);
    e_.Record(op::SetTarget, {0}, n.line);
}

// DefineFunction: a named one (declaration) defines the variable, an unnamed one is a value.
void ScriptCodeGen::Function(const Node &n)
{
    std::vector<uint8_t> data;
    ActionEmitter::AppendString(data, n.text, n.line);
    if (n.names.size() > 0xFFFF) {
        throw ScriptError{"引数が多すぎます", n.line};
    }
    ActionEmitter::AppendU16(data, static_cast<uint32_t>(n.names.size()));
    for (const std::string &name : n.names) {
        ActionEmitter::AppendString(data, name, n.line);
    }
    size_t sizeAt = e_.BeginSized(op::DefineFunction, std::move(data), n.line);
    std::vector<Loop> outer;
    std::swap(outer, loops_);
    ++functionDepth_;
    Statements(n.kids, true);
    --functionDepth_;
    std::swap(outer, loops_);
    e_.EndSized(sizeAt, n.line);
}

// ---- expressions ----

void ScriptCodeGen::Value(const Node &n) { Expression(n, true); }
void ScriptCodeGen::Discard(const Node &n) { Expression(n, false); }

void ScriptCodeGen::Expression(const Node &n, bool wantValue)
{
    switch (n.kind) {
    case NodeKind::Call:
        Call(n, wantValue);
        return;
    case NodeKind::Assign:
        Assign(n, wantValue);
        return;
    case NodeKind::Update:
        Update(n, wantValue);
        return;
    case NodeKind::Function:
        Function(n);
        break;
    case NodeKind::Comma:
        Discard(*n.kids[0]);
        Expression(*n.kids[1], wantValue);
        return;
    case NodeKind::Number:
        e_.PushNumber(n.number, n.line);
        break;
    case NodeKind::String:
        e_.PushString(n.text, n.line);
        break;
    case NodeKind::True:
    case NodeKind::False:
        e_.PushBool(n.kind == NodeKind::True, n.line);
        break;
    case NodeKind::Null:
        e_.PushNull(n.line);
        break;
    case NodeKind::Undefined:
        e_.PushUndefined(n.line);
        break;
    case NodeKind::Name:
        e_.PushString(n.text, n.line);
        e_.Op(op::GetVariable);
        break;
    case NodeKind::Member:
    case NodeKind::Index:
        LoadTarget(n);
        break;
    case NodeKind::New:
        New(n);
        break;
    case NodeKind::Unary:
        Unary(n);
        break;
    case NodeKind::Binary:
        Value(*n.kids[0]);
        Value(*n.kids[1]);
        BinaryOperator(n.text, n.line);
        break;
    case NodeKind::And:
    case NodeKind::Or:
        Logical(n);
        break;
    case NodeKind::Conditional:
        Conditional(n);
        break;
    case NodeKind::ArrayLiteral:
        for (auto kid = n.kids.rbegin(); kid != n.kids.rend(); ++kid) {
            Value(**kid);
        }
        e_.PushNumber(static_cast<double>(n.kids.size()), n.line);
        e_.Op(op::InitArray);
        break;
    case NodeKind::ObjectLiteral:
        for (size_t i = 0; i < n.kids.size(); ++i) {
            e_.PushString(n.names[i], n.kids[i]->line);
            Value(*n.kids[i]);
        }
        e_.PushNumber(static_cast<double>(n.kids.size()), n.line);
        e_.Op(op::InitObject);
        break;
    default:
        throw ScriptError{"ここには式が必要です", n.line};
    }
    if (!wantValue) {
        e_.Op(op::Pop);
    }
}

void ScriptCodeGen::Unary(const Node &n)
{
    const Node &operand = *n.kids[0];
    const std::string &o = n.text;
    if (o == "-") {
        e_.PushNumber(0, n.line);
        Value(operand);
        e_.Op(op::Subtract);
    } else if (o == "!") {
        Value(operand);
        e_.Op(op::Not);
    } else if (o == "~") {
        Value(operand);
        e_.PushNumber(-1, n.line);
        e_.Op(op::BitXor);
    } else if (o == "typeof") {
        Value(operand);
        e_.Op(op::TypeOf);
    } else if (o == "void") {
        Discard(operand);
        e_.PushUndefined(n.line);
    } else if (operand.kind == NodeKind::Name) {  // delete
        e_.PushString(operand.text, operand.line);
        e_.Op(op::Delete2);
    } else if (operand.kind == NodeKind::Member || operand.kind == NodeKind::Index) {
        PushTarget(operand);
        e_.Op(op::Delete);
    } else {
        Discard(operand);
        e_.PushBool(true, n.line);
    }
}

void ScriptCodeGen::BinaryOperator(const std::string &o, int line)
{
    static const std::pair<std::string_view, uint8_t> simple[] = {
        {"+", op::Add2},   {"-", op::Subtract},   {"*", op::Multiply},   {"/", op::Divide},
        {"%", op::Modulo}, {"<", op::Less2},      {"==", op::Equals2},   {"&", op::BitAnd},
        {"|", op::BitOr},  {"^", op::BitXor},     {"<<", op::BitLShift}, {">>", op::BitRShift},
        {">>>", op::BitURShift}, {"add", op::StringAdd}};
    for (const auto &[name, code] : simple) {
        if (o == name) {
            e_.Op(code);
            return;
        }
    }
    if (o == "!=") {
        e_.Op(op::Equals2);
        e_.Op(op::Not);
    } else if (o == "===" || o == "!==") {
        RequireVersion6(line);
        e_.Op(op::StrictEquals);
        if (o == "!==") {
            e_.Op(op::Not);
        }
    } else if (o == ">=") {
        e_.Op(op::Less2);
        e_.Op(op::Not);
    } else if (o == ">" || o == "<=") {
        if (version_ >= 6) {
            e_.Op(op::Greater);
        } else {
            e_.Op(op::StackSwap);
            e_.Op(op::Less2);
        }
        if (o == "<=") {
            e_.Op(op::Not);
        }
    } else if (o == "instanceof") {
        RequireVersion6(line);
        e_.Op(op::InstanceOf);
    } else {
        throw ScriptError{"'" + o + "' は使えません", line};
    }
}

// a && b, a || b: b is evaluated only when a does not decide the result.
void ScriptCodeGen::Logical(const Node &n)
{
    int end = e_.NewLabel();
    Value(*n.kids[0]);
    e_.Op(op::PushDuplicate);
    if (n.kind == NodeKind::And) {
        e_.Op(op::Not);
    }
    e_.If(end, n.line);
    e_.Op(op::Pop);
    Value(*n.kids[1]);
    e_.Bind(end);
}

void ScriptCodeGen::Conditional(const Node &n)
{
    int then = e_.NewLabel();
    int end = e_.NewLabel();
    Value(*n.kids[0]);
    e_.If(then, n.line);
    Value(*n.kids[2]);
    e_.Jump(end, n.line);
    e_.Bind(then);
    Value(*n.kids[1]);
    e_.Bind(end);
}

// Arguments last to first, then their count.
void ScriptCodeGen::Arguments(const Node &n)
{
    for (size_t i = n.kids.size() - 1; i >= 1; --i) {
        Value(*n.kids[i]);
    }
    e_.PushNumber(static_cast<double>(n.kids.size() - 1), n.line);
}

void ScriptCodeGen::Call(const Node &n, bool wantValue)
{
    const Node &callee = *n.kids[0];
    if (callee.kind == NodeKind::Name && TimelineCall(n, wantValue)) {
        return;
    }
    Arguments(n);
    if (callee.kind == NodeKind::Name) {
        e_.PushString(callee.text, callee.line);
        e_.Op(op::CallFunction);
    } else if (callee.kind == NodeKind::Member || callee.kind == NodeKind::Index) {
        PushTarget(callee);
        e_.Op(op::CallMethod);
    } else {
        Value(callee);  // a function value: called as a method without a name
        e_.PushUndefined(n.line);
        e_.Op(op::CallMethod);
    }
    if (!wantValue) {
        e_.Op(op::Pop);
    }
}

void ScriptCodeGen::New(const Node &n)
{
    const Node &callee = *n.kids[0];
    Arguments(n);
    if (callee.kind == NodeKind::Name) {
        e_.PushString(callee.text, callee.line);
        e_.Op(op::NewObject);
    } else if (callee.kind == NodeKind::Member || callee.kind == NodeKind::Index) {
        PushTarget(callee);
        e_.Op(op::NewMethod);
    } else {
        Value(callee);
        e_.PushUndefined(n.line);
        e_.Op(op::NewMethod);
    }
}

// The parts of an assignment target: the name, or the object and the key.
void ScriptCodeGen::PushTarget(const Node &target)
{
    if (target.kind == NodeKind::Name) {
        e_.PushString(target.text, target.line);
        return;
    }
    Value(*target.kids[0]);
    if (target.kind == NodeKind::Member) {
        e_.PushString(target.text, target.line);
    } else {
        Value(*target.kids[1]);
    }
}

void ScriptCodeGen::LoadTarget(const Node &target)
{
    PushTarget(target);
    e_.Op(target.kind == NodeKind::Name ? op::GetVariable : op::GetMember);
}

void ScriptCodeGen::StoreTarget(const Node &target)
{
    e_.Op(target.kind == NodeKind::Name ? op::SetVariable : op::SetMember);
}

// After PushTarget: pushes the target's current value, keeping the target's parts below it.
// A member's object and key are evaluated once and copied through registers.
static void LoadCurrent(ActionEmitter &e, const Node &target)
{
    if (target.kind == NodeKind::Name) {
        e.PushString(target.text, target.line);
        e.Op(op::GetVariable);
        return;
    }
    e.StoreRegister(kKeyRegister, target.line);
    e.Op(op::Pop);
    e.StoreRegister(kObjectRegister, target.line);
    e.PushRegister(kKeyRegister, target.line);
    e.PushRegister(kObjectRegister, target.line);
    e.PushRegister(kKeyRegister, target.line);
    e.Op(op::GetMember);
}

void ScriptCodeGen::Assign(const Node &n, bool wantValue)
{
    const Node &target = *n.kids[0];
    PushTarget(target);
    if (n.text == "=") {
        Value(*n.kids[1]);
    } else {
        LoadCurrent(e_, target);
        Value(*n.kids[1]);
        BinaryOperator(n.text.substr(0, n.text.size() - 1), n.line);
    }
    if (wantValue) {
        e_.StoreRegister(kValueRegister, n.line);
    }
    StoreTarget(target);
    if (wantValue) {
        e_.PushRegister(kValueRegister, n.line);
    }
}

// ++ and --; a postfix one used as a value gives the number before the change.
void ScriptCodeGen::Update(const Node &n, bool wantValue)
{
    const Node &target = *n.kids[0];
    PushTarget(target);
    LoadCurrent(e_, target);
    bool keepOld = wantValue && !n.prefix;
    if (keepOld) {
        e_.Op(op::ToNumber);
        e_.StoreRegister(kValueRegister, n.line);
    }
    e_.Op(n.text == "++" ? op::Increment : op::Decrement);
    if (wantValue && n.prefix) {
        e_.StoreRegister(kValueRegister, n.line);
    }
    StoreTarget(target);
    if (wantValue) {
        e_.PushRegister(kValueRegister, n.line);
    }
}

}  // namespace platform
