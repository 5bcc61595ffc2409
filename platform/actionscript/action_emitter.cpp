// SWF action record writer of the clip-action compiler.
#include "platform/actionscript/action_emitter.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/actionscript/script_lexer.h"

namespace platform {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr size_t kMaxRecordData = 0xFFFF;

// Push value types.
constexpr uint8_t kString = 0, kNull = 2, kUndefined = 3, kRegister = 4, kBoolean = 5, kDouble = 6,
                  kInteger = 7;

void AppendU32(std::vector<uint8_t> &data, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

}  // namespace

void ActionEmitter::AppendU16(std::vector<uint8_t> &data, uint32_t value)
{
    data.push_back(static_cast<uint8_t>(value));
    data.push_back(static_cast<uint8_t>(value >> 8));
}

void ActionEmitter::AppendString(std::vector<uint8_t> &data, const std::string &text, int line)
{
    if (text.find('\0') != std::string::npos) {
        throw ScriptError{"文字列に NUL 文字は使えません", line};
    }
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
}

void ActionEmitter::Op(uint8_t code)
{
    code_.push_back(code);
    lastPush_ = kNone;
}

void ActionEmitter::Record(uint8_t code, const std::vector<uint8_t> &data, int line)
{
    if (data.size() > kMaxRecordData) {
        throw ScriptError{"命令が長すぎます", line};
    }
    code_.push_back(code);
    AppendU16(code_, static_cast<uint32_t>(data.size()));
    code_.insert(code_.end(), data.begin(), data.end());
    lastPush_ = kNone;
}

void ActionEmitter::PushValue(const std::vector<uint8_t> &value, int line)
{
    if (value.size() > kMaxRecordData) {
        throw ScriptError{"文字列が長すぎます", line};
    }
    if (lastPush_ != kNone) {
        size_t length = code_[lastPush_ + 1] | (code_[lastPush_ + 2] << 8);
        if (length + value.size() <= kMaxRecordData) {
            length += value.size();
            code_[lastPush_ + 1] = static_cast<uint8_t>(length);
            code_[lastPush_ + 2] = static_cast<uint8_t>(length >> 8);
            code_.insert(code_.end(), value.begin(), value.end());
            return;
        }
    }
    size_t start = code_.size();
    Record(op::Push, value, line);
    lastPush_ = start;
}

void ActionEmitter::PushString(const std::string &text, int line)
{
    std::vector<uint8_t> value{kString};
    AppendString(value, text, line);
    PushValue(value, line);
}

// Whole numbers in the 32-bit range go as integers, everything else as a double (its two
// 32-bit halves high first, each little-endian).
void ActionEmitter::PushNumber(double v, int line)
{
    std::vector<uint8_t> value;
    if (v >= -2147483648.0 && v <= 2147483647.0 && v == std::trunc(v) && !(v == 0 && std::signbit(v))) {
        value.push_back(kInteger);
        AppendU32(value, static_cast<uint32_t>(static_cast<int32_t>(v)));
    } else {
        uint64_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof bits);
        value.push_back(kDouble);
        AppendU32(value, static_cast<uint32_t>(bits >> 32));
        AppendU32(value, static_cast<uint32_t>(bits));
    }
    PushValue(value, line);
}

void ActionEmitter::PushBool(bool v, int line) { PushValue({kBoolean, static_cast<uint8_t>(v ? 1 : 0)}, line); }
void ActionEmitter::PushNull(int line) { PushValue({kNull}, line); }
void ActionEmitter::PushUndefined(int line) { PushValue({kUndefined}, line); }
void ActionEmitter::PushRegister(uint8_t reg, int line) { PushValue({kRegister, reg}, line); }

void ActionEmitter::StoreRegister(uint8_t reg, int line) { Record(op::StoreRegister, {reg}, line); }

int ActionEmitter::NewLabel()
{
    labels_.push_back(kNone);
    return static_cast<int>(labels_.size() - 1);
}

void ActionEmitter::Bind(int label)
{
    labels_[static_cast<size_t>(label)] = code_.size();
    lastPush_ = kNone;  // a jump lands here: later pushes start a record of their own
}

void ActionEmitter::Branch(uint8_t code, int label, int line)
{
    Record(code, {0, 0}, line);
    fixups_.push_back({code_.size() - 2, label, line});
}

void ActionEmitter::Jump(int label, int line) { Branch(op::Jump, label, line); }
void ActionEmitter::If(int label, int line) { Branch(op::If, label, line); }

size_t ActionEmitter::BeginSized(uint8_t code, std::vector<uint8_t> data, int line)
{
    AppendU16(data, 0);
    Record(code, data, line);
    return code_.size() - 2;
}

void ActionEmitter::EndSized(size_t sizeAt, int line)
{
    size_t size = code_.size() - (sizeAt + 2);
    if (size > kMaxRecordData) {
        throw ScriptError{"関数または with の中身が大きすぎます", line};
    }
    code_[sizeAt] = static_cast<uint8_t>(size);
    code_[sizeAt + 1] = static_cast<uint8_t>(size >> 8);
    lastPush_ = kNone;  // the block ends here
}

std::vector<uint8_t> ActionEmitter::Finish()
{
    for (const Fixup &f : fixups_) {
        size_t target = labels_[static_cast<size_t>(f.label)];
        long long offset = static_cast<long long>(target) - static_cast<long long>(f.at + 2);
        if (target == kNone || offset < std::numeric_limits<int16_t>::min() ||
            offset > std::numeric_limits<int16_t>::max()) {
            throw ScriptError{"ジャンプ先が遠すぎます（ループや if の中身を短くしてください）", f.line};
        }
        uint16_t bits = static_cast<uint16_t>(static_cast<int16_t>(offset));
        code_[f.at] = static_cast<uint8_t>(bits);
        code_[f.at + 1] = static_cast<uint8_t>(bits >> 8);
    }
    code_.push_back(op::End);
    return std::move(code_);
}

}  // namespace platform
