// Error texts of the clip-action compiler, its limits, and random input.
#include <gtest/gtest.h>

#include <chrono>
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

Result Run(const std::string &source, int version = 6)
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

TEST(ScriptErrors, TextNamesTheLineOfTheFault)
{
    Result r = Run("x = 1;\ny = 2;\nz = = 3;\n");
    EXPECT_EQ(r.text, "Error:'=' はここに書けません\nLine 3");
    EXPECT_EQ(ErrorLine(Run("a = 1\n\n\nif (a {\n}")), 4);
    EXPECT_EQ(ErrorLine(Run("s = \"ok\";\nt = \"open\n")), 2);
    EXPECT_EQ(ErrorLine(Run("x = 1;\n/* never\nclosed")), 2);
    EXPECT_EQ(ErrorLine(Run("/* a\nb */ x = 1;\nbreak;")), 3);
    EXPECT_EQ(ErrorLine(Run("while (a) {\n  b();\n")), 3);  // the end of the script
    EXPECT_EQ(ErrorLine(Run("x = 1\r\ny = 2 3\r\n")), 2);
    EXPECT_EQ(ErrorLine(Run("x = 12abc")), 1);
    EXPECT_EQ(ErrorLine(Run("\n\nf() = 1")), 3);
    EXPECT_EQ(ErrorLine(Run("x = \"\\u0000\"")), 1);
    EXPECT_EQ(ErrorLine(Run("x = 1 # 2")), 1);
    EXPECT_EQ(ErrorLine(Run("\nx = \"\xFF\"")), 2);
    EXPECT_EQ(ErrorLine(Run("continue")), 1);
    EXPECT_EQ(Run("x = 1 # 2").text, "Error:使えない文字があります\nLine 1");
}

TEST(ScriptErrors, FailuresWithoutText)
{
    std::vector<uint8_t> out{1, 2};
    EXPECT_LT(platform::CompileSwfActionCode(nullptr, 6, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_LT(Run("play()", 4).status, 0);
    EXPECT_LT(Run("play()", 7).status, 0);
    EXPECT_GT(Run("play()", 5).status, 0);
    // SWF 6 actions are refused for version 5 with a text.
    EXPECT_EQ(ErrorLine(Run("\na = b === c", 5)), 2);
}

TEST(ScriptErrors, LimitsGiveErrorsNotWrongCode)
{
    // Nesting beyond the limit, from parentheses, blocks and long operator chains.
    EXPECT_EQ(ErrorLine(Run("x = " + std::string(100000, '(') + "1" + std::string(100000, ')'))), 1);
    EXPECT_EQ(ErrorLine(Run(std::string(100000, '{'))), 1);
    EXPECT_EQ(ErrorLine(Run(std::string(100000, '!') + "x")), 1);
    std::string chain = "x = a";
    for (int i = 0; i < 5000; ++i) {
        chain += ".b";
    }
    EXPECT_EQ(ErrorLine(Run(chain)), 1);
    // Moderate nesting compiles.
    EXPECT_GT(Run("x = " + std::string(50, '(') + "1" + std::string(50, ')')).status, 0);
    // A jump over more than 32767 bytes, a function body over 65535 bytes, a too long string.
    std::string body;
    for (int i = 0; i < 3000; ++i) {
        body += "x = 1;\n";
    }
    EXPECT_GT(Run("if (a) {\n" + body + "}").status, 0);
    EXPECT_EQ(ErrorLine(Run("\nif (a) {\n" + body + body + body + "}")), 2);
    EXPECT_EQ(ErrorLine(Run("while (a) {\n" + body + body + body + "}")), 1);
    EXPECT_EQ(ErrorLine(Run("function f() {\n" + body + body + body + body + "}")), 1);
    EXPECT_EQ(ErrorLine(Run("x = \"" + std::string(70000, 'a') + "\"")), 1);
}

TEST(ScriptErrors, MegabyteScriptCompiles)
{
    std::string source;
    while (source.size() < 1024 * 1024) {
        source += "total = total + value * 2; // running sum\n";
    }
    Result r = Run(source);
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
                                      "99999999999999999999999999", "1e400", "0x", "?", ":"});
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3000; ++i) {
        std::string input = mutator.Mutate(seed);
        Result r = Run(input);
        if (r.status == 0) {
            ASSERT_GT(ErrorLine(r), 0) << testsupport::Escaped(input);
        } else {
            ASSERT_GT(r.status, 0) << testsupport::Escaped(input);
            ASSERT_EQ(r.text.back(), '\0');
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        std::string bytes(random() % 300, '\0');
        for (char &c : bytes) {
            c = static_cast<char>(1 + random() % 255);
        }
        Result r = Run(bytes);
        ASSERT_TRUE(r.status > 0 || ErrorLine(r) > 0) << testsupport::Escaped(bytes);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
}

TEST(ActionCompiler, InstalledStandInAndRestore)
{
    platform::SetActionCompiler([](const char *, int, std::vector<uint8_t> &out) {
        out = {7, 0};
        return 2;
    });
    std::vector<uint8_t> out;
    EXPECT_EQ(platform::CompileActionCode("play()", 6, out), 2);
    EXPECT_EQ(out, (std::vector<uint8_t>{7, 0}));
    platform::SetActionCompiler(nullptr);
    EXPECT_EQ(platform::CompileActionCode("play()", 6, out), 2);
    EXPECT_EQ(out, (std::vector<uint8_t>{6, 0}));
}

}  // namespace
