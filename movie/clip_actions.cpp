#include "movie/clip_actions.h"

#include "core/document_lifecycle.h"
#include "core/host.h"
#include "movie/edit_text.h"
#include "platform/base/atomic_file.h"
#include "platform/actionscript/action_compiler.h"
#include "platform/base/file_names.h"
#include "platform/base/number_text.h"
#include "platform/base/program_folder.h"
#include "platform/base/rounding.h"
#include "platform/base/text_encoding.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <span>
#include <utility>

namespace movie {
namespace {

namespace fs = std::filesystem;

constexpr const char *kScriptErrorTitle = "スクリプトエラー";
constexpr std::string_view kSeparator = "\r\n-\r\n";
constexpr int64_t kMaxIncludeBytes = 64u << 20;

struct NamedCode {
    std::string_view name;
    int32_t code;
};

// Event names and their SWF 6 clip event flags.
namespace swf = platform::swf;
constexpr std::array<NamedCode, 19> kEventFlags{{
    {"load", swf::kClipEventLoad},
    {"enterframe", swf::kClipEventEnterFrame},
    {"unload", swf::kClipEventUnload},
    {"mousemove", swf::kClipEventMouseMove},
    {"mousedown", swf::kClipEventMouseDown},
    {"mouseup", swf::kClipEventMouseUp},
    {"keydown", swf::kClipEventKeyDown},
    {"keyup", swf::kClipEventKeyUp},
    {"data", swf::kClipEventData},
    {"initialize", swf::kClipEventInitialize},
    {"press", swf::kClipEventPress},
    {"release", swf::kClipEventRelease},
    {"releaseoutside", swf::kClipEventReleaseOutside},
    {"rollover", swf::kClipEventRollOver},
    {"rollout", swf::kClipEventRollOut},
    {"dragover", swf::kClipEventDragOver},
    {"dragout", swf::kClipEventDragOut},
    {"keypress", kClipEventKeyPress},
    {"construct", swf::kClipEventConstruct},
}};

// Key names of keyPress and their key codes.
constexpr std::array<NamedCode, 14> kKeyNames{{
    {"<left>", 1},   {"<right>", 2},  {"<home>", 3},    {"<end>", 4},       {"<insert>", 5},
    {"<delete>", 6}, {"<backspace>", 8}, {"<enter>", 13}, {"<up>", 14},     {"<down>", 15},
    {"<pageup>", 16}, {"<pagedown>", 17}, {"<tab>", 18}, {"<escape>", 19},
}};

// Tokens in the order they are tried: longer words before their prefixes.
constexpr std::array<std::string_view, 27> kTokens{
    "data",       "keyup",     "keydown",  "mouseup",  "mousedown", "mousemove",      "enterframe",
    "unload",     "load",      "press",    "releaseoutside", "release", "rollover",   "rollout",
    "dragover",   "dragout",   "keypress", "onclipevent", "initialize", "construct",   "on",
    "(",          ",",         ")",        "<",        ">",         "\"",
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::AsciiLower(text.substr(0, prefix.size())) == prefix;
}

int32_t Lookup(std::span<const NamedCode> table, std::string_view name)
{
    for (const NamedCode &entry : table) {
        if (entry.name == name) {
            return entry.code;
        }
    }
    return 0;
}

void ShowScriptError(const std::string &text, int64_t line)
{
    core::GetHost().ShowErrorMessage(text + "：Line " + std::to_string(line), kScriptErrorTitle);
}

// Lone LF line ends (files written on this system) become CR LF like the rest of the script.
std::string WithCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

// The include name as a path below the folder: every name is relative ("\" and "/" alike).
fs::path ResolveIncludeName(std::string name, const std::string &folder)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    if (!name.starts_with('.')) {
        std::string relative = name.starts_with('/') ? "." : "./";
        name = relative.append(name);
    }
    return (fs::path(folder) / name).lexically_normal();
}

bool ReadIncludeFile(const fs::path &path, std::string &contents)
{
    return platform::ReadWholeFile(path.string(), contents, kMaxIncludeBytes);
}

ClipActionState g_clipActions;

}  // namespace

ClipActionState &ClipActions()
{
    return g_clipActions;
}

void ResetClipActionsForTest()
{
    g_clipActions = ClipActionState();
}

std::string ExpandScriptIncludes(const std::string &script)
{
    size_t at = script.find_first_not_of(" \t\r\n");
    if (at == std::string::npos || !StartsWithNoCase(std::string_view(script).substr(at), "#file")) {
        return script;
    }
    size_t open = script.find_first_not_of(" \t", at + 5);
    if (open == std::string::npos || script[open] != '"') {
        return script;
    }
    size_t close = script.find('"', open + 1);
    if (close == std::string::npos) {
        return script;
    }
    std::string name = script.substr(open + 1, close - open - 1);

    std::string contents;
    bool read = false;
    const std::string &drawing = core::Lifecycle().CurrentFileName;
    if (!drawing.empty()) {
        read = ReadIncludeFile(ResolveIncludeName(name, platform::GetFolderPart(drawing)), contents);
    }
    if (!read) {
        read = ReadIncludeFile(ResolveIncludeName(name, platform::ProgramFolder()), contents);
    }
    if (!read) {
        core::GetHost().ShowErrorMessage("ファイルがありません：" + name, kScriptErrorTitle);
        return script;
    }
    return WithCrLf(platform::Cp932ToUtf8(contents));
}

int32_t CompileActionScript(const std::string &code, Bytes &bytes, int32_t lineOffset)
{
    ClipActions().ScriptErrorLine = 0;
    bytes.clear();
    std::string source = ExpandScriptIncludes(code);
    std::string lines;
    lines.reserve(source.size());
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\r' && i + 1 < source.size() && source[i + 1] == '\n') {
            continue;
        }
        lines += source[i];
    }
    Bytes utf8;
    EncodeUtf8(lines, utf8, false);
    std::vector<uint8_t> out;
    int status = platform::CompileActionCode(reinterpret_cast<const char *>(utf8.data()), 6, out);
    if (status > 0 && !out.empty() && out.size() <= static_cast<size_t>(INT32_MAX)) {
        bytes = std::move(out);
        return static_cast<int32_t>(bytes.size());
    }
    if (status == 0) {
        int32_t line = platform::SaturateInt<int32_t>(
            int64_t{ParseErrorLine(std::string_view(reinterpret_cast<const char *>(out.data()), out.size()))} +
            lineOffset);
        ShowScriptError("文法に誤りがあります", line);
        ClipActions().ScriptErrorLine = line;
    }
    return 0;
}

int32_t CompileClipActions(std::string &script, Bytes &bytes, int32_t &eventFlags, int32_t &lineCounter,
                           int32_t &keyCode)
{
    ClipActions().ScriptErrorLine = 0;
    bytes.clear();
    eventFlags = 0;
    keyCode = 0;
    std::string whole = script;
    std::string rest = NextSection(script);
    // The next section starts after every line taken off the script here, blank lines included.
    int64_t nextSectionLine = int64_t{lineCounter} + CountLines(whole) - CountLines(script);

    const char *error = nullptr;
    std::string token = NextToken(rest);
    if (token != "on" && token != "onclipevent") {
        error = "onClipEvent または on が必要です";
    } else if (NextToken(rest) != "(") {
        error = "( が必要です";
    } else {
        do {
            token = NextToken(rest);
            int32_t flag = Lookup(kEventFlags, token);
            if (flag == 0) {
                error = "不正なイベント名です";
                break;
            }
            eventFlags |= flag;
            if (flag == kClipEventKeyPress) {
                keyCode = ParseKeyCode(rest);
                if (keyCode == 0) {
                    error = "不正なキーコードです";
                    break;
                }
            }
        } while (NextToken(rest) == ",");
    }
    if (error) {
        int32_t line = platform::SaturateInt<int32_t>(int64_t{lineCounter} + 1);
        ClipActions().ScriptErrorLine = line;
        ShowScriptError(error, line);
        eventFlags = 0;
        lineCounter = platform::SaturateInt<int32_t>(nextSectionLine);
        return 0;
    }

    int32_t codeLine = platform::SaturateInt<int32_t>(int64_t{lineCounter} + CountLinesUpTo(whole, rest));
    int32_t count = CompileActionScript(rest, bytes, codeLine);
    lineCounter = platform::SaturateInt<int32_t>(nextSectionLine);
    return count;
}

std::string NextSection(std::string &text)
{
    size_t at = text.find(kSeparator);
    if (at == std::string::npos) {
        return std::exchange(text, std::string());
    }
    std::string section = text.substr(0, at);
    text.erase(0, at + kSeparator.size());
    TrimLeading(text);
    return section;
}

void TrimLeading(std::string &text)
{
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
        } else if (text.compare(at, 2, "\r\n") == 0) {
            at += 2;
        } else {
            break;
        }
    }
    text.erase(0, at);
}

std::string NextToken(std::string &text)
{
    TrimLeading(text);
    for (std::string_view token : kTokens) {
        if (StartsWithNoCase(text, token)) {
            text.erase(0, token.size());
            return std::string(token);
        }
    }
    return {};
}

int32_t ParseKeyCode(std::string &text)
{
    if (NextToken(text) != "\"") {
        return 0;
    }
    size_t close = text.find('"');
    if (close == std::string::npos) {
        return 0;
    }
    std::string name = text.substr(0, close);
    text.erase(0, close);
    NextToken(text);  // the closing quote
    int32_t code = Lookup(kKeyNames, platform::AsciiLower(name));
    if (code != 0 || name.empty()) {
        return code;
    }
    // Any other text: its first character. Every character outside ASCII has a first byte above
    // 127, in CP932 as in UTF-8, and is refused.
    code = static_cast<uint8_t>(name[0]);
    return code <= 127 ? code : 0;
}

int32_t CountLines(std::string_view text)
{
    int32_t count = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) {
        ++count;
    }
    return count;
}

int32_t CountLinesUpTo(std::string_view whole, std::string_view part)
{
    size_t at = whole.find(part);
    return CountLines(whole.substr(0, at == std::string_view::npos ? whole.size() : at));
}

int32_t ParseErrorLine(std::string_view message)
{
    if (!message.starts_with("Error:")) {
        return 0;
    }
    size_t at = message.find("\nLine ");
    if (at == std::string_view::npos) {
        return 0;
    }
    return platform::SaturateCast<int32_t>(platform::Val(message.substr(at + 6)));
}

}  // namespace movie
