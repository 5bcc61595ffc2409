// Code generation of the clip-action compiler: global functions that compile to timeline actions
// (gotoAndPlay, getURL, trace, startDrag, ...) instead of a function call.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "platform/actionscript/script_codegen.h"

namespace platform {

namespace {

// Functions that are one action: the arguments pushed first to last, then the action.
struct SimpleCall {
    std::string_view name;
    size_t arguments;
    uint8_t code;
    bool givesValue;
};

constexpr SimpleCall kSimpleCalls[] = {
    {"play", 0, op::Play, false},
    {"stop", 0, op::Stop, false},
    {"nextFrame", 0, op::NextFrame, false},
    {"prevFrame", 0, op::PrevFrame, false},
    {"toggleHighQuality", 0, op::ToggleQuality, false},
    {"stopAllSounds", 0, op::StopSounds, false},
    {"stopDrag", 0, op::EndDrag, false},
    {"trace", 1, op::Trace, false},
    {"removeMovieClip", 1, op::RemoveSprite, false},
    {"getTimer", 0, op::GetTime, true},
    {"random", 1, op::RandomNumber, true},
    {"int", 1, op::ToInteger, true},
    {"Number", 1, op::ToNumber, true},
    {"String", 1, op::ToString, true},
    {"eval", 1, op::GetVariable, true},
    {"targetPath", 1, op::TargetPath, true},
    {"length", 1, op::StringLength, true},
    {"mblength", 1, op::MBStringLength, true},
    {"chr", 1, op::AsciiToChar, true},
    {"mbchr", 1, op::MBAsciiToChar, true},
    {"ord", 1, op::CharToAscii, true},
    {"mbord", 1, op::MBCharToAscii, true},
    {"substring", 3, op::StringExtract, true},
    {"mbsubstring", 3, op::MBStringExtract, true},
};

// Movie clip properties by the index GetProperty and SetProperty take.
constexpr std::string_view kProperties[] = {
    "_x",       "_y",      "_xscale",      "_yscale", "_currentframe", "_totalframes",
    "_alpha",   "_visible", "_width",      "_height", "_rotation",     "_target",
    "_framesloaded", "_name", "_droptarget", "_url",  "_highquality",  "_focusrect",
    "_soundbuftime", "_quality", "_xmouse", "_ymouse"};

// GetURL2 flags: the method in the low bits, 0x40 the target is a movie clip, 0x80 variables are
// loaded instead of a movie.
constexpr uint8_t kTargetIsClip = 0x40, kLoadVariables = 0x80;

// The whole number a literal stands for, when it is one in [low, high].
bool LiteralInteger(const Node &n, double low, double high, double &value)
{
    if (n.kind != NodeKind::Number || n.number != std::trunc(n.number) || n.number < low ||
        n.number > high) {
        return false;
    }
    value = n.number;
    return true;
}

}  // namespace

bool ScriptCodeGen::TimelineCall(const Node &call, bool wantValue)
{
    const std::string &name = call.kids[0]->text;
    size_t count = call.kids.size() - 1;
    int line = call.line;
    bool givesValue = false;
    auto simple = std::find_if(std::begin(kSimpleCalls), std::end(kSimpleCalls),
                               [&](const SimpleCall &c) { return c.name == name; });
    if (simple != std::end(kSimpleCalls)) {
        if (simple->arguments != count) {
            return false;
        }
        for (size_t i = 1; i <= count; ++i) {
            Value(*call.kids[i]);
        }
        e_.Op(simple->code);
        givesValue = simple->givesValue;
    } else if (name == "gotoAndPlay" || name == "gotoAndStop") {
        if (!GotoCall(call, name == "gotoAndPlay")) {
            return false;
        }
    } else if (name == "getProperty" || name == "setProperty") {
        if (!PropertyCall(call, name == "setProperty")) {
            return false;
        }
        givesValue = name == "getProperty";
    } else if (name == "startDrag") {
        if (count != 1 && count != 2 && count != 6) {
            return false;
        }
        if (count == 6) {
            for (size_t i = 3; i <= 6; ++i) {
                Value(*call.kids[i]);  // left, top, right, bottom
            }
        }
        e_.PushNumber(count == 6 ? 1 : 0, line);
        if (count >= 2) {
            Value(*call.kids[2]);
        } else {
            e_.PushNumber(0, line);
        }
        Value(*call.kids[1]);
        e_.Op(op::StartDrag);
    } else if (name == "duplicateMovieClip") {
        if (count != 3) {
            return false;
        }
        Value(*call.kids[1]);
        Value(*call.kids[2]);
        Value(*call.kids[3]);
        e_.PushNumber(16384, line);  // depths of duplicated clips start above the timeline's
        e_.Op(op::Add2);
        e_.Op(op::CloneSprite);
    } else if (!UrlCall(call, name)) {
        return false;
    }
    if (givesValue && !wantValue) {
        e_.Op(op::Pop);
    } else if (!givesValue && wantValue) {
        e_.PushUndefined(line);
    }
    return true;
}

// gotoAndPlay / gotoAndStop ([scene,] frame): a literal frame number or label is written into
// the action, any other frame is taken from the stack. Scenes are not kept apart in the movies.
bool ScriptCodeGen::GotoCall(const Node &call, bool play)
{
    size_t count = call.kids.size() - 1;
    if (count != 1 && count != 2) {
        return false;
    }
    const Node &frame = *call.kids[count];
    int line = call.line;
    const Node &scene = *call.kids[1];
    if (count == 2 && scene.kind != NodeKind::String && scene.kind != NodeKind::Number) {
        Discard(scene);
    }
    double number = 0;
    if (LiteralInteger(frame, 1, 65536, number)) {
        std::vector<uint8_t> data;
        ActionEmitter::AppendU16(data, static_cast<uint32_t>(number - 1));
        e_.Record(op::GotoFrame, data, line);
    } else if (frame.kind == NodeKind::String) {
        std::vector<uint8_t> data;
        ActionEmitter::AppendString(data, frame.text, frame.line);
        e_.Record(op::GoToLabel, data, line);
    } else {
        Value(frame);
        e_.Record(op::GotoFrame2, {static_cast<uint8_t>(play ? 1 : 0)}, line);
        return true;
    }
    if (play) {
        e_.Op(op::Play);
    }
    return true;
}

// getProperty (target, _name) and setProperty (target, _name, value).
bool ScriptCodeGen::PropertyCall(const Node &call, bool set)
{
    size_t count = call.kids.size() - 1;
    if (count != (set ? 3u : 2u)) {
        return false;
    }
    const Node &property = *call.kids[2];
    auto found = kProperties + std::size(kProperties);
    if (property.kind == NodeKind::Name || property.kind == NodeKind::String) {
        found = std::find(std::begin(kProperties), std::end(kProperties), property.text);
    }
    if (found == std::end(kProperties)) {
        throw ScriptError{"プロパティ名が正しくありません", property.line};
    }
    Value(*call.kids[1]);
    e_.PushNumber(static_cast<double>(found - std::begin(kProperties)), property.line);
    if (set) {
        Value(*call.kids[3]);
    }
    e_.Op(set ? op::SetProperty : op::GetProperty);
    return true;
}

// The optional method argument of the URL functions: "GET" 1, "POST" 2, none 0.
uint8_t ScriptCodeGen::UrlMethod(const Node &call, size_t argument)
{
    if (call.kids.size() <= argument) {
        return 0;
    }
    const Node &method = *call.kids[argument];
    std::string text = method.kind == NodeKind::String ? method.text : std::string();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (text == "GET") {
        return 1;
    }
    if (text == "POST") {
        return 2;
    }
    throw ScriptError{"送信方法は \"GET\" か \"POST\" です", method.line};
}

// "_level" and the level number.
void ScriptCodeGen::LevelTarget(const Node &level)
{
    double number = 0;
    if (LiteralInteger(level, 0, 2147483647.0, number)) {
        e_.PushString("_level" + std::to_string(static_cast<long long>(number)), level.line);
        return;
    }
    e_.PushString("_level", level.line);
    Value(level);
    e_.Op(op::StringAdd);
}

// getURL, fscommand, loadMovie, loadVariables, unloadMovie and their level variants.
bool ScriptCodeGen::UrlCall(const Node &call, const std::string &name)
{
    size_t count = call.kids.size() - 1;
    int line = call.line;
    auto arg = [&](size_t i) -> const Node & { return *call.kids[i]; };
    auto getUrl2 = [&](uint8_t flags) { e_.Record(op::GetUrl2, {flags}, line); };
    if (name == "getURL" || name == "fscommand") {
        if (count < 1 || count > (name == "getURL" ? 3u : 2u)) {
            return false;
        }
        bool fs = name == "fscommand";
        std::string prefix = fs ? "FSCommand:" : "";
        bool literal = arg(1).kind == NodeKind::String &&
                       (count == 1 || (count == 2 && arg(2).kind == NodeKind::String));
        if (literal) {
            std::vector<uint8_t> data;
            ActionEmitter::AppendString(data, prefix + arg(1).text, line);
            ActionEmitter::AppendString(data, count == 2 ? arg(2).text : std::string(), line);
            e_.Record(op::GetUrl, data, line);
            return true;
        }
        uint8_t method = fs ? 0 : UrlMethod(call, 3);
        if (fs) {
            e_.PushString(prefix, line);
            Value(arg(1));
            e_.Op(op::StringAdd);
        } else {
            Value(arg(1));
        }
        if (count >= 2) {
            Value(arg(2));
        } else {
            e_.PushString("", line);
        }
        getUrl2(method);
        return true;
    }
    bool movie = name == "loadMovie" || name == "loadMovieNum";
    bool variables = name == "loadVariables" || name == "loadVariablesNum";
    bool level = name == "loadMovieNum" || name == "loadVariablesNum" || name == "unloadMovieNum";
    if (movie || variables) {
        if (count != 2 && count != 3) {
            return false;
        }
        uint8_t flags = static_cast<uint8_t>(UrlMethod(call, 3) | (variables ? kLoadVariables : 0));
        Value(arg(1));
        if (level) {
            LevelTarget(arg(2));
        } else {
            Value(arg(2));
            flags |= kTargetIsClip;
        }
        getUrl2(flags);
        return true;
    }
    if (name == "unloadMovie" || name == "unloadMovieNum") {
        if (count != 1) {
            return false;
        }
        e_.PushString("", line);
        if (level) {
            LevelTarget(arg(1));
            getUrl2(0);
        } else {
            Value(arg(1));
            getUrl2(kTargetIsClip);
        }
        return true;
    }
    return false;
}

}  // namespace platform
