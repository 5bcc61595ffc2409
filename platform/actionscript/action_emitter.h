// Writes SWF action records: pushes (consecutive ones merged into one record), plain actions,
// records with data, jumps to labels resolved at the end, and blocks whose size is patched after
// their body (function bodies, with blocks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Action codes the compiler writes.
namespace op {
constexpr uint8_t End = 0x00, NextFrame = 0x04, PrevFrame = 0x05, Play = 0x06, Stop = 0x07,
                  ToggleQuality = 0x08, StopSounds = 0x09, Subtract = 0x0B, Multiply = 0x0C,
                  Divide = 0x0D, Not = 0x12, StringLength = 0x14, StringExtract = 0x15, Pop = 0x17,
                  ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D, SetTarget2 = 0x20,
                  StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23, CloneSprite = 0x24,
                  RemoveSprite = 0x25, Trace = 0x26, StartDrag = 0x27, EndDrag = 0x28,
                  RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32,
                  AsciiToChar = 0x33, GetTime = 0x34, MBStringExtract = 0x35, MBCharToAscii = 0x36,
                  MBAsciiToChar = 0x37, Delete = 0x3A, Delete2 = 0x3B, DefineLocal = 0x3C,
                  CallFunction = 0x3D, Return = 0x3E, Modulo = 0x3F, NewObject = 0x40,
                  DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43, TypeOf = 0x44,
                  TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47, Less2 = 0x48, Equals2 = 0x49,
                  ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D,
                  GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51,
                  CallMethod = 0x52, NewMethod = 0x53, InstanceOf = 0x54, Enumerate2 = 0x55,
                  BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62, BitLShift = 0x63, BitRShift = 0x64,
                  BitURShift = 0x65, StrictEquals = 0x66, Greater = 0x67, GotoFrame = 0x81,
                  GetUrl = 0x83, StoreRegister = 0x87, SetTarget = 0x8B, GoToLabel = 0x8C,
                  With = 0x94, Push = 0x96, Jump = 0x99, GetUrl2 = 0x9A, DefineFunction = 0x9B,
                  If = 0x9D, GotoFrame2 = 0x9F;
}  // namespace op

class ActionEmitter {
public:
    // Actions without data (codes below 0x80).
    void Op(uint8_t code);
    // An action with data; throws ScriptError (at `line`) when the data exceed a record's size.
    void Record(uint8_t code, const std::vector<uint8_t> &data, int line);

    void PushString(const std::string &text, int line);
    void PushNumber(double value, int line);
    void PushBool(bool value, int line);
    void PushNull(int line);
    void PushUndefined(int line);
    void PushRegister(uint8_t reg, int line);
    void StoreRegister(uint8_t reg, int line);

    int NewLabel();
    void Bind(int label);
    void Jump(int label, int line);
    void If(int label, int line);

    // Writes a record whose data end with a UI16 size of the code that follows; returns where that
    // size goes, to be filled in by EndSized once the code is written.
    size_t BeginSized(uint8_t code, std::vector<uint8_t> data, int line);
    void EndSized(size_t sizeAt, int line);

    // Resolves the jumps and adds the End action; throws ScriptError when a jump is too far.
    std::vector<uint8_t> Finish();

    // A string as zero-terminated record data; throws ScriptError on an embedded zero.
    static void AppendString(std::vector<uint8_t> &data, const std::string &text, int line);
    static void AppendU16(std::vector<uint8_t> &data, uint32_t value);

private:
    void PushValue(const std::vector<uint8_t> &value, int line);
    void Branch(uint8_t code, int label, int line);

    struct Fixup {
        size_t at;  // position of the SI16 offset
        int label;
        int line;
    };

    std::vector<uint8_t> code_;
    std::vector<size_t> labels_;  // bound position, or npos
    std::vector<Fixup> fixups_;
    size_t lastPush_ = static_cast<size_t>(-1);  // the Push record at the end of the code, if any
};

}  // namespace platform
