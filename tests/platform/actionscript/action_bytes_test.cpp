// Bytecode of small scripts against hand-assembled SWF action records.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "platform/actionscript/action_compiler.h"

namespace {

std::vector<uint8_t> Hex(const std::string &text)
{
    std::vector<uint8_t> bytes;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    }
    return bytes;
}

std::vector<uint8_t> Compile(const std::string &source)
{
    std::vector<uint8_t> out;
    int status = platform::CompileSwfActionCode(source.c_str(), 6, out);
    EXPECT_GT(status, 0) << std::string(out.begin(), out.end());
    EXPECT_EQ(static_cast<size_t>(status), out.size());
    return out;
}

TEST(ActionBytes, TimelineActions)
{
    // Play, Stop, GotoFrame 4 + Play, GotoFrame 0, End.
    EXPECT_EQ(Compile("play(); stop(); gotoAndPlay(5); gotoAndStop(1)"),
              Hex("06 07 81 02 00 04 00 06 81 02 00 00 00 00"));
    // A label goes by name; a computed frame through GotoFrame2 with the play bit.
    EXPECT_EQ(Compile("gotoAndStop(\"a\"); gotoAndPlay(n)"),
              Hex("8C 02 00 61 00 96 03 00 00 6E 00 1C 9F 01 00 01 00"));
    EXPECT_EQ(Compile("nextFrame(); prevFrame(); stopAllSounds(); toggleHighQuality(); stopDrag()"),
              Hex("04 05 09 08 28 00"));
    // trace pushes its argument; getTimer as a statement leaves nothing on the stack.
    EXPECT_EQ(Compile("trace(\"hi\"); getTimer();"), Hex("96 04 00 00 68 69 00 26 34 17 00"));
    EXPECT_EQ(Compile("getURL(\"u\", \"_blank\")"), Hex("83 09 00 75 00 5F 62 6C 61 6E 6B 00 00"));
    EXPECT_EQ(Compile("getURL(u, \"t\", \"POST\")"),
              Hex("96 03 00 00 75 00 1C 96 03 00 00 74 00 9A 01 00 02 00"));
}

TEST(ActionBytes, ArithmeticAndAssignment)
{
    // Push "x", 1, 2 in one record; Add2; SetVariable.
    EXPECT_EQ(Compile("x = 1 + 2;"),
              Hex("96 0D 00 00 78 00 07 01 00 00 00 07 02 00 00 00 47 1D 00"));
    // Multiplication binds tighter; subtraction is left-associative.
    EXPECT_EQ(Compile("x = a - b - 2 * c"),
              Hex("96 06 00 00 78 00 00 61 00 1C 96 03 00 00 62 00 1C 0B "
                  "96 08 00 07 02 00 00 00 00 63 00 1C 0C 0B 1D 00"));
    // Fractions and large numbers as doubles (high word first); negative literals folded.
    EXPECT_EQ(Compile("x = 1.5; y = -3"),
              Hex("96 0C 00 00 78 00 06 00 00 F8 3F 00 00 00 00 1D "
                  "96 08 00 00 79 00 07 FD FF FF FF 1D 00"));
    // Member assignment and a chained assignment through register 0.
    EXPECT_EQ(Compile("o.p = 5"),
              Hex("96 03 00 00 6F 00 1C 96 08 00 00 70 00 07 05 00 00 00 4F 00"));
    EXPECT_EQ(Compile("a = b = 1"),
              Hex("96 0B 00 00 61 00 00 62 00 07 01 00 00 00 87 01 00 00 1D 96 02 00 04 00 1D 00"));
    // Compound assignment to a name reads it once more; ++ as a statement.
    EXPECT_EQ(Compile("x += 2; i++"),
              Hex("96 06 00 00 78 00 00 78 00 1C 96 05 00 07 02 00 00 00 47 1D "
                  "96 06 00 00 69 00 00 69 00 1C 50 1D 00"));
}

TEST(ActionBytes, JapaneseStringIsUtf8)
{
    EXPECT_EQ(Compile("s = \"日本\""),
              Hex("96 0B 00 00 73 00 00 E6 97 A5 E6 9C AC 00 1D 00"));
    EXPECT_EQ(Compile("s = '\\u65E5\\n'"),
              Hex("96 09 00 00 73 00 00 E6 97 A5 0A 00 1D 00"));
}

TEST(ActionBytes, IfElseJumps)
{
    // Not, If +17 over the then-part (11-byte push, SetVariable, 5-byte Jump); Jump +12 over the
    // else-part.
    EXPECT_EQ(Compile("if (a) { b = 1; } else { b = 2; }"),
              Hex("96 03 00 00 61 00 1C 12 9D 02 00 11 00 "
                  "96 08 00 00 62 00 07 01 00 00 00 1D 99 02 00 0C 00 "
                  "96 08 00 00 62 00 07 02 00 00 00 1D 00"));
    // if (!a) jumps on a itself.
    EXPECT_EQ(Compile("if (!a) stop()"), Hex("96 03 00 00 61 00 1C 9D 02 00 01 00 07 00"));
}

TEST(ActionBytes, LoopJumps)
{
    // The back jump lands on the first byte of the loop: -39.
    EXPECT_EQ(Compile("while (i < 10) { i++; }"),
              Hex("96 03 00 00 69 00 1C 96 05 00 07 0A 00 00 00 48 12 9D 02 00 11 00 "
                  "96 06 00 00 69 00 00 69 00 1C 50 1D 99 02 00 D9 FF 00"));
    // do..while jumps back while true; break leaves the loop.
    EXPECT_EQ(Compile("do { break; } while (a)"),
              Hex("99 02 00 0C 00 96 03 00 00 61 00 1C 9D 02 00 EF FF 00"));
}

TEST(ActionBytes, FunctionsAndCalls)
{
    EXPECT_EQ(Compile("function f(a, b) { return a + b; }"),
              Hex("9B 0A 00 66 00 02 00 61 00 62 00 10 00 "
                  "96 03 00 00 61 00 1C 96 03 00 00 62 00 1C 47 3E 00"));
    // Declarations are defined before the code that calls them.
    EXPECT_EQ(Compile("f(); function f() {}"),
              Hex("9B 06 00 66 00 00 00 00 00 96 08 00 07 00 00 00 00 00 66 00 3D 17 00"));
    // Arguments last to first, their count, the object and the method name; the result dropped.
    EXPECT_EQ(Compile("o.m(1, \"x\");"),
              Hex("96 10 00 00 78 00 07 01 00 00 00 07 02 00 00 00 00 6F 00 1C "
                  "96 03 00 00 6D 00 52 17 00"));
    EXPECT_EQ(Compile("x = new Foo(1)"),
              Hex("96 12 00 00 78 00 07 01 00 00 00 07 01 00 00 00 00 46 6F 6F 00 40 1D 00"));
    // An unnamed function is a value.
    EXPECT_EQ(Compile("f = function () {}"),
              Hex("96 03 00 00 66 00 9B 05 00 00 00 00 00 00 1D 00"));
}

TEST(ActionBytes, LogicalAndLiterals)
{
    // a && b: the right side only when a is true.
    EXPECT_EQ(Compile("x = a && b"),
              Hex("96 06 00 00 78 00 00 61 00 1C 4C 12 9D 02 00 08 00 17 "
                  "96 03 00 00 62 00 1C 1D 00"));
    EXPECT_EQ(Compile("x = [1, \"a\"]"),
              Hex("96 10 00 00 78 00 00 61 00 07 01 00 00 00 07 02 00 00 00 42 1D 00"));
    EXPECT_EQ(Compile("x = {k: true, n: null}"),
              Hex("96 11 00 00 78 00 00 6B 00 05 01 00 6E 00 02 07 02 00 00 00 43 1D 00"));
    EXPECT_EQ(Compile("x = this._parent"),
              Hex("96 09 00 00 78 00 00 74 68 69 73 00 1C 96 09 00 00 5F 70 61 72 65 6E 74 00 4E 1D 00"));
}

TEST(ActionBytes, EmptyScriptIsTheEndAction)
{
    EXPECT_EQ(Compile(""), Hex("00"));
    EXPECT_EQ(Compile("  // only a comment\n/* and\nanother */ ;"), Hex("00"));
}

TEST(ActionBytes, SemicolonsOptionalAtLineEnds)
{
    EXPECT_EQ(Compile("play()\nstop()\n"), Hex("06 07 00"));
    // A line starting with ++ does not continue the line before it.
    EXPECT_EQ(Compile("a\n++b"), Compile("a;\n++b;"));
}

}  // namespace
