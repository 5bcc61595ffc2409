#include "core/document_lifecycle.h"
#include "core/host.h"
#include "movie/tag_buffer.h"
#include "movie/clip_actions.h"
#include "movie/movie_writer.h"
#include "platform/actionscript/action_compiler.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using movie::Bytes;

namespace {

const Bytes kStopCode = {0x07, 0x00};  // Stop, End
std::vector<std::string> g_sources;    // what the stand-in compilers were given

// Compiles every source to kStopCode; a source containing "bad" gives an error on its line 2.
int StandInCompiler(const char *source, int version, std::vector<uint8_t> &out)
{
    g_sources.emplace_back(source);
    EXPECT_EQ(version, 6);
    if (std::string(source).find("bad") != std::string::npos) {
        std::string error = "Error: syntax error\nLine 2";
        out.assign(error.begin(), error.end());
        return 0;
    }
    out = kStopCode;
    return 1;
}

int FailingCompiler(const char *, int, std::vector<uint8_t> &out)
{
    out.clear();
    return -1;
}

class MessageHost : public core::Host {
public:
    std::vector<std::string> Messages;  // "title|text"
    void ShowErrorMessage(const std::string &text, const std::string &title) override
    {
        Messages.push_back(title + "|" + text);
    }
};

class ClipActionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        movie::ResetWriterForTest();
        movie::ResetClipActionsForTest();
        core::ResetLifecycleForTest();
        core::SetHost(&host);
        platform::SetActionCompiler(StandInCompiler);
        g_sources.clear();
    }
    void TearDown() override
    {
        platform::SetActionCompiler(nullptr);
        core::SetHost(nullptr);
        core::ResetLifecycleForTest();
        movie::ResetWriterForTest();
    }

    struct Section {
        int32_t count = 0;
        int32_t flags = 0;
        int32_t key = 0;
        Bytes code;
    };

    Section Compile(std::string &script, int32_t &lineCounter)
    {
        Section s;
        s.count = movie::CompileClipActions(script, s.code, s.flags, lineCounter, s.key);
        return s;
    }
    Section Compile(std::string script)
    {
        int32_t lineCounter = 0;
        return Compile(script, lineCounter);
    }

    MessageHost host;
};

Bytes PlaceWithActions(const std::string &actions, int32_t layer = 0)
{
    movie::PlaceObject(1, 0, 0, 1.0f, 1.0f, 0.0f, 0, 256, layer, "", actions, movie::kNoClipLayer, -1.0f,
                       movie::ColorTransformSpec());
    Bytes tag = movie::Writer().TagBuffer;
    movie::Writer().TagBuffer.clear();
    return tag;
}

}  // namespace

TEST_F(ClipActionsTest, EventsAndKeyCodesOfASection)
{
    Section load = Compile("onClipEvent(load, enterFrame) {\r\n  stop();\r\n}");
    EXPECT_EQ(load.count, 2);
    EXPECT_EQ(load.flags, 0x3);
    EXPECT_EQ(load.code, kStopCode);
    // The compiler gets the code after ")" with LF line ends.
    ASSERT_EQ(g_sources.size(), 1u);
    EXPECT_EQ(g_sources[0], " {\n  stop();\n}");

    Section backspace = Compile("on(keyPress \"<Backspace>\") { }");
    EXPECT_EQ(backspace.flags, 0x20000);
    EXPECT_EQ(backspace.key, 8);
    EXPECT_EQ(Compile("on(keypress \"<ESCAPE>\", release){}").flags, 0x20800);
    EXPECT_EQ(Compile("ON(Press) {}").flags, 0x400);
    EXPECT_EQ(Compile("onclipevent(load,load) {}").flags, 0x1);  // a repeated event stays one flag
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(movie::ClipActions().ScriptErrorLine, 0);

    // A key above 127 (any non-ASCII character) and an empty key are refused.
    for (const char *script : {"on(keyPress \"\xC3\xA9\") {}", "on(keyPress \"\") {}", "on(keyPress a) {}"}) {
        host.Messages.clear();
        Section bad = Compile(script);
        EXPECT_EQ(bad.count, 0) << script;
        EXPECT_EQ(bad.flags, 0);
        EXPECT_EQ(host.Messages, (std::vector<std::string>{"スクリプトエラー|不正なキーコードです：Line 1"}));
    }
}

TEST_F(ClipActionsTest, SyntaxErrorsAreReportedWithTheirLine)
{
    struct Case {
        const char *script;
        const char *message;
    } cases[] = {
        {"onclipevent load {}", "( が必要です：Line 1"},
        {"\r\nclipEvent(press) {}", "onClipEvent または on が必要です：Line 1"},
        {"on() {}", "不正なイベント名です：Line 1"},
    };
    for (const Case &c : cases) {
        host.Messages.clear();
        Section s = Compile(c.script);
        EXPECT_EQ(s.count, 0);
        EXPECT_EQ(s.flags, 0);
        EXPECT_EQ(host.Messages, (std::vector<std::string>{std::string("スクリプトエラー|") + c.message}));
        EXPECT_EQ(movie::ClipActions().ScriptErrorLine, 1);
    }
    EXPECT_TRUE(g_sources.empty());

    // Compiler errors count from the script's first line, past earlier sections (whether those
    // compiled or not) and the blank lines after their separators.
    for (const char *first : {"on(press) {\r\nok\r\n}", "on(hover) {\r\nok\r\n}"}) {
        host.Messages.clear();
        std::string script = std::string(first) + "\r\n-\r\n\r\non(release) {\r\nbad\r\n}";
        int32_t lines = 0;
        Compile(script, lines);
        EXPECT_EQ(lines, 5);
        EXPECT_EQ(Compile(script, lines).count, 0);
        EXPECT_EQ(host.Messages.back(), "スクリプトエラー|文法に誤りがあります：Line 7");
        EXPECT_EQ(movie::ClipActions().ScriptErrorLine, 7);
        EXPECT_TRUE(script.empty());
    }

    // A compiler failure without text is silent.
    host.Messages.clear();
    platform::SetActionCompiler(FailingCompiler);
    EXPECT_EQ(Compile("on(press) {}").count, 0);
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(ClipActionsTest, ScriptTextHelpers)
{
    std::string text = "a\r\n-\r\n  \r\n b\r\n-\r\nc";
    EXPECT_EQ(movie::NextSection(text), "a");
    EXPECT_EQ(text, "b\r\n-\r\nc");
    text = "x\r\n--\r\ny";  // not a separator line
    EXPECT_EQ(movie::NextSection(text), "x\r\n--\r\ny");

    text = " ReleaseOutside,Release)on(ONCLIPEVENT loader";
    std::vector<std::string> tokens;
    for (std::string t = movie::NextToken(text); !t.empty(); t = movie::NextToken(text)) {
        tokens.push_back(t);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"releaseoutside", ",", "release", ")", "on", "(", "onclipevent",
                                                "load"}));
    EXPECT_EQ(text, "er");

    text = "\"<unknown>\"";
    EXPECT_EQ(movie::ParseKeyCode(text), '<');
    EXPECT_EQ(movie::ParseErrorLine("Error: a\nb\nLine 7 col 3"), 7);
    EXPECT_EQ(movie::ParseErrorLine("Warning\nLine 12"), 0);
}

TEST_F(ClipActionsTest, IncludedScriptFiles)
{
    namespace fs = std::filesystem;
    fs::path drawings = testsupport::Home() / "drawings";
    fs::create_directories(drawings / "scripts");
    // CP932 text with LF line ends: "あ" is 0x82 0xA0.
    testsupport::WriteAll((drawings / "scripts" / "press.as").string(), "on(press) {\n// \x82\xA0\n}");
    testsupport::WriteAll(testsupport::TempPath("common.as"), "onClipEvent(load) {}");

    const std::string expected = "on(press) {\r\n// あ\r\n}";
    core::Lifecycle().CurrentFileName = (drawings / "picture.qlk").string();
    EXPECT_EQ(movie::ExpandScriptIncludes("\r\n  #FILE \"scripts\\press.as\"\r\nignored"), expected);
    EXPECT_EQ(movie::ExpandScriptIncludes("#file \"./scripts/../scripts/press.as\""), expected);
    // Not beside the drawing: the program folder.
    EXPECT_EQ(movie::ExpandScriptIncludes("#file \"common.as\""), "onClipEvent(load) {}");
    core::Lifecycle().CurrentFileName.clear();
    EXPECT_EQ(movie::ExpandScriptIncludes("#file \"common.as\""), "onClipEvent(load) {}");
    EXPECT_TRUE(host.Messages.empty());

    // Missing files and folders are reported; the script stays as it was.
    for (const char *name : {"scripts\\press.as", "nothing.as", "/"}) {
        std::string script = std::string("#file \"") + name + "\"";
        EXPECT_EQ(movie::ExpandScriptIncludes(script), script);
        EXPECT_EQ(host.Messages.back(), std::string("スクリプトエラー|ファイルがありません：") + name);
    }
    host.Messages.clear();
    for (const char *script : {"#file", "#file \"open", "on(press) {} #file \"common.as\""}) {
        EXPECT_EQ(movie::ExpandScriptIncludes(script), script);
    }
    EXPECT_TRUE(host.Messages.empty());
}

TEST_F(ClipActionsTest, PlaceObject2CarriesOneRecordPerCompiledSection)
{
    movie::BeginMovie(6, 100, 100, 12.0f);
    movie::Writer().TagBuffer.clear();
    Bytes tag = PlaceWithActions("on(keyPress \"<Backspace>\") { stop(); }\r\n-\r\n"
                                 "on(hover) {}\r\n-\r\n"
                                 "onClipEvent(load) { stop(); }",
                                 0);
    Bytes expected = {0xBF, 0x06, 0, 0, 0, 0,  // PlaceObject2, length patched below
                      0x82, 0x01, 0x01, 0x01, 0x00,  // has clip actions and character; depth 257; id 1
                      0x00, 0x00, 0x01, 0x00, 0x02, 0x00,  // reserved, all event flags 0x20001
                      0x00, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x08, 0x07, 0x00,  // keyPress 8
                      0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00,  // load
                      0x00, 0x00, 0x00, 0x00};
    expected[2] = static_cast<uint8_t>(expected.size() - 6);
    EXPECT_EQ(tag, expected);
    EXPECT_EQ(host.Messages, (std::vector<std::string>{"スクリプトエラー|不正なイベント名です：Line 3"}));

    // A move of the occupied depth carries no clip actions; a script where nothing compiles
    // still writes the empty list.
    EXPECT_EQ(PlaceWithActions("on(press) {}", 0), (Bytes{0xBF, 0x06, 3, 0, 0, 0, 0x01, 0x01, 0x01}));
    // Code that stops short of its End action gets the end flag from the writer.
    platform::SetActionCompiler([](const char *, int, std::vector<uint8_t> &out) {
        out = {0x96, 0x02, 0x00, 0x08, 0x00, 0x07};  // Push constant 0 (ends in a zero byte), Stop
        return 6;
    });
    EXPECT_EQ(PlaceWithActions("on(press) {}", 2),
              (Bytes{0xBF, 0x06, 30, 0, 0, 0, 0x82, 0x03, 0x01, 0x01, 0x00, 0, 0, 0x00, 0x04, 0, 0,
                     0x00, 0x04, 0, 0, 0x07, 0, 0, 0, 0x96, 0x02, 0x00, 0x08, 0x00, 0x07, 0x00, 0, 0, 0, 0}));
    platform::SetActionCompiler(FailingCompiler);
    EXPECT_EQ(PlaceWithActions("on(press) {}", 1),
              (Bytes{0xBF, 0x06, 15, 0, 0, 0, 0x82, 0x02, 0x01, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}
