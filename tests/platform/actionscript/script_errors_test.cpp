// Error texts of the clip-action compiler, its limits, and random input.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/actionscript/action_compiler.h"
#include "tests/support/byte_mutator.h"

namespace {

struct Result {
    int status;
    std::string text;
};

Result CompileText(const std::string &source, int version = 6)
{
    std::vector<uint8_t> out;
    int status = platform::CompileSwfActionCode(source.c_str(), version, out);
    return {status, std::string(out.begin(), out.end())};
}

// The "Line n" part of an error text, -1 when the result is no error text of that form.
int ErrorLine(const Result &r)
{
    size_t lf = r.text.find('\n');
    if (r.status != 0 || r.text.rfind("Error:", 0) != 0 || lf == std::string::npos ||
        r.text.compare(lf + 1, 5, "Line ") != 0) {
        return -1;
    }
    return std::stoi(r.text.substr(lf + 6));
}

// Action records laid end to end up to the final End action; every jump lands on the start of
// a record and every function or with body ends on one.
bool WellFormed(const std::string &code)
{
    std::set<size_t> starts;
    std::vector<size_t> targets;
    size_t at = 0;
    auto u16 = [&](size_t i) {
        return static_cast<size_t>(static_cast<uint8_t>(code[i]) |
                                   (static_cast<uint8_t>(code[i + 1]) << 8));
    };
    while (at < code.size()) {
        starts.insert(at);
        auto c = static_cast<uint8_t>(code[at]);
        if (c == 0) {
            return at == code.size() - 1 && std::all_of(targets.begin(), targets.end(), [&](size_t t) {
                       return starts.count(t) > 0;
                   });
        }
        if (c < 0x80) {
            ++at;
            continue;
        }
        if (at + 3 > code.size() || at + 3 + u16(at + 1) > code.size()) {
            return false;
        }
        size_t length = u16(at + 1);
        size_t next = at + 3 + length;
        if ((c == 0x99 || c == 0x9D) && length == 2) {
            targets.push_back(next + static_cast<int16_t>(u16(at + 3)));
        } else if (c == 0x9B || c == 0x94) {
            targets.push_back(next + u16(next - 2));
        }
        at = next;
    }
    return false;
}

TEST(ScriptErrors, TextNamesTheLineOfTheFault)
{
    Result r = CompileText("x = 1;\ny = 2;\nz = = 3;\n");
    EXPECT_EQ(r.text, "Error:'=' はここに書けません\nLine 3");
    EXPECT_EQ(ErrorLine(CompileText("a = 1\n\n\nif (a {\n}")), 4);
    EXPECT_EQ(ErrorLine(CompileText("x = 1;\n/* never\nclosed")), 2);
    EXPECT_EQ(ErrorLine(CompileText("while (a) {\n  b();\n")), 3);  // the end of the script
    EXPECT_EQ(ErrorLine(CompileText("x = 1\r\ny = 2 3\r\n")), 2);
    EXPECT_EQ(ErrorLine(CompileText("x = \"\\u0000\"")), 1);
    EXPECT_EQ(ErrorLine(CompileText("\nx = \"\xFF\"")), 2);
    EXPECT_EQ(CompileText("x = 1 # 2").text, "Error:使えない文字があります\nLine 1");
}

TEST(ScriptErrors, FailuresWithoutText)
{
    std::vector<uint8_t> out{1, 2};
    EXPECT_LT(platform::CompileSwfActionCode(nullptr, 6, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_LT(CompileText("play()", 4).status, 0);
    EXPECT_GT(CompileText("play()", 5).status, 0);
    // SWF 6 actions are refused for version 5 with a text.
    EXPECT_EQ(ErrorLine(CompileText("\na = b === c", 5)), 2);
}

TEST(ScriptErrors, LimitsGiveErrorsNotWrongCode)
{
    // Nesting beyond the limit, from parentheses, blocks and long operator chains.
    EXPECT_EQ(ErrorLine(CompileText("x = " + std::string(100000, '(') + "1" + std::string(100000, ')'))), 1);
    EXPECT_EQ(ErrorLine(CompileText(std::string(100000, '{'))), 1);
    EXPECT_EQ(ErrorLine(CompileText(std::string(100000, '!') + "x")), 1);
    std::string chain = "x = a";
    for (int i = 0; i < 5000; ++i) {
        chain += ".b";
    }
    EXPECT_EQ(ErrorLine(CompileText(chain)), 1);
    // Moderate nesting compiles.
    EXPECT_GT(CompileText("x = " + std::string(50, '(') + "1" + std::string(50, ')')).status, 0);
    // A jump over more than 32767 bytes, a function body over 65535 bytes, a too long string.
    std::string body;
    for (int i = 0; i < 2500; ++i) {  // 30,000 bytes of code
        body += "x = 1;\n";
    }
    EXPECT_GT(CompileText("if (a) {\n" + body + "}").status, 0);
    EXPECT_EQ(ErrorLine(CompileText("\nif (a) {\n" + body + body + body + "}")), 2);
    EXPECT_EQ(ErrorLine(CompileText("while (a) {\n" + body + body + body + "}")), 1);
    EXPECT_EQ(ErrorLine(CompileText("function f() {\n" + body + body + body + body + "}")), 1);
    EXPECT_EQ(ErrorLine(CompileText("x = \"" + std::string(70000, 'a') + "\"")), 1);
}

TEST(ScriptErrors, MegabyteScriptCompiles)
{
    std::string source;
    while (source.size() < 1024 * 1024) {
        source += "total = total + value * 2; // running sum\n";
    }
    Result r = CompileText(source);
    EXPECT_GT(r.status, 0);
}

TEST(ScriptErrors, RandomAndDamagedInputNeverCrashes)
{
    const std::string seed =
        "onLoad = function (a, b) {\n"
        "  var list = [1, 2.5, \"日本\", {k: 'v'}];\n"
        "  for (var k in list) { if (k == 2) break; else continue; }\n"
        "  switch (a) { case 1: trace(a); break; default: b++; }\n"
        "  with (this) { _x += 0x10 >>> 2; }\n"
        "  do { a = a ? b : -a; } while (a && !b || typeof c == 'undefined');\n"
        "  gotoAndPlay(3); getURL(u, \"_self\", \"GET\"); return new Foo(a)[b].c(d);\n"
        "};\n";
    testsupport::ByteMutator mutator(20240601u,
                                     {"(", ")", "{", "}", "[", "]", "\"", "'", "/*", "//", "\\",
                                      "++", "function", "for (", "in", "var", ",", ";", "\n",
                                      "99999999999999999999999999", "1e400", "0x", "?", ":",
                                      "\nfor (k in o) { if (k) break; x = k; }\n",
                                      "\nwhile (a) { if (b) continue; a--; }\n", "\nreturn x;\n",
                                      "\nswitch (x) { case 1: y(); break; default: z = 3; }\n",
                                      "\no[i] += f(a)[c]++;\n", "\nx = a ? (b || c) : d && e;\n"});
    for (int i = 0; i < 3000; ++i) {
        std::string input = mutator.Mutate(seed);
        Result r = CompileText(input);
        // The code grows with the source, never beyond a fixed number of bytes per source byte.
        ASSERT_LE(r.text.size(), 16 * input.size() + 64) << testsupport::Escaped(input);
        if (r.status == 0) {
            ASSERT_GT(ErrorLine(r), 0) << testsupport::Escaped(input);
        } else {
            ASSERT_GT(r.status, 0) << testsupport::Escaped(input);
            ASSERT_TRUE(WellFormed(r.text)) << testsupport::Escaped(input);
        }
    }
}

}  // namespace
