#include "mainwindow/settings_file.h"

#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/base/text_encoding.h"
#include "platform/forms/stored_placement.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace mainwindow {
namespace {

using platform::ProfileFile;

// Text of a value whose shortest form the writer already knows (to_chars of float or double).
template <typename Real>
std::string ShortestText(Real value)
{
    if (!std::isfinite(value)) {
        return "0";
    }
    double magnitude = std::fabs(static_cast<double>(value));
    if (value == std::trunc(value) && magnitude < 1e15) {
        return std::to_string(static_cast<int64_t>(value));
    }
    char buffer[400];
    bool ordinary = magnitude >= 1e-5 && magnitude < 1e15;
    auto result = ordinary ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
                           : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// The words for an infinite value or not a number ("inf", "-Infinity", "nan", any case, blanks
// around): what they name, so that the readers' ranges and checks apply to them instead of 0.
std::optional<double> NonFiniteWord(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    double sign = 1.0;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        sign = text.front() == '-' ? -1.0 : 1.0;
        text.remove_prefix(1);
    }
    const std::string word = platform::AsciiLower(std::string(text));
    if (word == "inf" || word == "infinity") {
        return sign * std::numeric_limits<double>::infinity();
    }
    if (word == "nan") {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return std::nullopt;
}

template <typename T>
T ReadClamped(const ProfileFile &file, std::string_view section, std::string_view key, T current, double lo, double hi)
{
    double value = GetIniNumber(file, section, key, static_cast<double>(current));
    if (std::isnan(value)) {
        return current;
    }
    value = std::clamp(platform::RoundHalfEven(value), lo, hi);
    return static_cast<T>(value);
}

template <typename T>
T ReadInteger(const ProfileFile &file, std::string_view section, std::string_view key, T current)
{
    return platform::SaturateCast<T>(platform::RoundHalfEven(GetIniNumber(file, section, key, current)));
}

float ReadSingle(const ProfileFile &file, std::string_view section, std::string_view key, float current)
{
    double value = GetIniNumber(file, section, key, current);
    if (!std::isfinite(value)) {
        return current;
    }
    return static_cast<float>(std::clamp(value, -3.4e38, 3.4e38));
}

int16_t ReadFlag(const ProfileFile &file, std::string_view section, std::string_view key, int16_t current)
{
    return ReadClamped<int16_t>(file, section, key, current, -32768, 32767);
}

constexpr double kInt32Max = 2147483647.0;

// One tool window's section: its keys in the file's order.
struct PlacementKeys {
    const char *section;
    int32_t MainState::*visible;
    int32_t MainState::*left;
    int32_t MainState::*top;
    int32_t MainState::*width;    // null when the window keeps its design size
    int32_t MainState::*height;
    int32_t MainState::*splitter; // null without a splitter
};

constexpr PlacementKeys kPathToolBox{"PathToolBox", &MainState::PathToolBoxVisible, &MainState::PathToolBoxLeft,
    &MainState::PathToolBoxTop, &MainState::PathToolBoxWidth, &MainState::PathToolBoxHeight,
    &MainState::PathToolBoxSplitter};
constexpr PlacementKeys kFolderToolBox{"FolderToolBox", &MainState::FolderToolBoxVisible,
    &MainState::FolderToolBoxLeft, &MainState::FolderToolBoxTop, &MainState::FolderToolBoxWidth,
    &MainState::FolderToolBoxHeight, &MainState::FolderToolBoxSplitter};
constexpr PlacementKeys kBrushToolBox{"BrushToolBox", &MainState::BrushToolBoxVisible, &MainState::BrushToolBoxLeft,
    &MainState::BrushToolBoxTop, &MainState::BrushToolBoxWidth, &MainState::BrushToolBoxHeight, nullptr};
constexpr PlacementKeys kGradientToolBox{"GradientToolBox", &MainState::GradientToolBoxVisible,
    &MainState::GradientToolBoxLeft, &MainState::GradientToolBoxTop, nullptr, nullptr, nullptr};
constexpr PlacementKeys kPositionToolBox{"PositionToolBox", &MainState::PositionToolBoxVisible,
    &MainState::PositionToolBoxLeft, &MainState::PositionToolBoxTop, nullptr, nullptr, nullptr};

void WritePlacement(ProfileFile &file, const PlacementKeys &keys, const MainState &state)
{
    WriteIniNumber(file, keys.section, "Visible", state.*keys.visible);
    WriteIniNumber(file, keys.section, "Left", state.*keys.left);
    WriteIniNumber(file, keys.section, "Top", state.*keys.top);
    if (keys.width) {
        WriteIniNumber(file, keys.section, "Width", state.*keys.width);
        WriteIniNumber(file, keys.section, "Height", state.*keys.height);
    }
    if (keys.splitter) {
        WriteIniNumber(file, keys.section, "Splitter", state.*keys.splitter);
    }
}

// A tool window's stored frame (twips) kept inside the work area.
void ClampFrame(int32_t &left, int32_t &top, int32_t *width, int32_t *height, const QRect &workArea)
{
    platform::StoredPlacement stored{static_cast<double>(left), static_cast<double>(top),
                                     width ? static_cast<double>(*width) : 0, height ? static_cast<double>(*height) : 0};
    stored = platform::ClampToWorkArea(stored, workArea);
    auto whole = [](double value) { return platform::SaturateCast<int32_t>(std::round(value)); };
    left = whole(stored.Left);
    top = whole(stored.Top);
    if (width && height) {
        *width = whole(stored.Width);
        *height = whole(stored.Height);
    }
}

void ReadPlacement(const ProfileFile &file, const PlacementKeys &keys, MainState &state, const QRect &workArea)
{
    auto read = [&](const char *key, int32_t MainState::*field) {
        if (field) {
            state.*field = ReadInteger<int32_t>(file, keys.section, key, state.*field);
        }
    };
    read("Left", keys.left);
    read("Top", keys.top);
    read("Width", keys.width);
    read("Height", keys.height);
    read("Splitter", keys.splitter);
    state.*keys.visible = ReadInteger<int32_t>(file, keys.section, "Visible", 0);
    ClampFrame(state.*keys.left, state.*keys.top, keys.width ? &(state.*keys.width) : nullptr,
               keys.height ? &(state.*keys.height) : nullptr, workArea);
    if (keys.splitter) {
        state.*keys.splitter = platform::ClampSplitterToWorkArea(state.*keys.splitter, workArea);
    }
}

// The main window's stored frame kept inside the work area.
void ClampMainWindow(WindowPlacementTwips &window, const QRect &workArea)
{
    platform::StoredPlacement stored = platform::ClampToWorkArea({window.Left, window.Top, window.Width, window.Height},
                                                                 workArea);
    window.Left = static_cast<float>(stored.Left);
    window.Top = static_cast<float>(stored.Top);
    window.Width = static_cast<float>(stored.Width);
    window.Height = static_cast<float>(stored.Height);
}

// The nine option flags in the file's order.
constexpr std::pair<const char *, int16_t MainState::*> kOptionKeys[] = {
    {"NotResizeAnchorMark", &MainState::NotResizeAnchorMark},
    {"NotChangeCursor", &MainState::NotChangeCursor},
    {"NotAnchorSelect", &MainState::NotAnchorSelect},
    {"NotReturnSelectMode", &MainState::NotReturnSelectMode},
    {"NotSnapInvisibleGrid", &MainState::NotSnapInvisibleGrid},
    {"UseVerticalFont", &MainState::UseVerticalFont},
    {"DropQLKasClip", &MainState::DropQLKasClip},
    {"UseDefaultOpen", &MainState::UseDefaultOpen},
    {"UseToolIcons", &MainState::UseToolIcons},
};

std::string RecentFileKey(int slot)
{
    return "MostRecentUsedFiles" + std::to_string(slot + 1);
}

}  // namespace

std::string IniNumberText(double value)
{
    return ShortestText(value);
}

std::string IniNumberText(float value)
{
    return ShortestText(value);
}

std::string GetIniString(const ProfileFile &file, std::string_view section, std::string_view key,
                         std::string_view fallback)
{
    return file.Get(section, key, fallback);
}

void WriteIniString(ProfileFile &file, std::string_view section, std::string_view key, std::string_view value)
{
    file.Set(section, key, value);
}

double GetIniNumber(const ProfileFile &file, std::string_view section, std::string_view key, double fallback)
{
    const std::string text = GetIniString(file, section, key, IniNumberText(fallback));
    return NonFiniteWord(text).value_or(platform::Val(text));
}

void SavePreferenceSub(ProfileFile &file, const core::CanvasSettings &s)
{
    const char *c = kCanvasSection;
    WriteIniNumber(file, c, "Width", s.Width);
    WriteIniNumber(file, c, "Height", s.Height);
    WriteIniNumber(file, c, "BackColorR", s.BackColorR);
    WriteIniNumber(file, c, "BackColorG", s.BackColorG);
    WriteIniNumber(file, c, "BackColorB", s.BackColorB);
    WriteIniNumber(file, c, "OptimizeFlag", s.OptimizeFlag);
    WriteIniNumber(file, c, "OptimizePoint", s.OptimizePoint);
    WriteIniNumber(file, c, "OptimizeLine", s.OptimizeLine);
    WriteIniNumber(file, c, "Quality", s.Quality);
    WriteIniNumber(file, c, "AutoConvertFlag", s.AutoConvertFlag);
    WriteIniNumber(file, c, "AutoConvertValue", s.AutoConvertValue);
    WriteIniNumber(file, c, "GridWidth", s.GridWidth);
    WriteIniNumber(file, c, "GridHeight", s.GridHeight);
    WriteIniNumber(file, c, "GridPower", s.GridPower);
    WriteIniNumber(file, c, "FloodQuality", s.FloodQuality);
    WriteIniNumber(file, c, "FloodAccuracy", s.FloodAccuracy);
    WriteIniNumber(file, c, "FloodChink", s.FloodChink);
    WriteIniNumber(file, c, "FloodAcute", s.FloodAcute);
    WriteIniNumber(file, c, "DrawOutsideFlag", s.DrawOutsideFlag);
    WriteIniNumber(file, c, "ScrollMargin", s.ScrollMargin);
}

void LoadPreferenceSub(const ProfileFile &file, core::CanvasSettings &s)
{
    const core::CanvasSettings d;  // the defaults of every key
    const char *c = kCanvasSection;
    s.Width = ReadClamped<int32_t>(file, c, "Width", d.Width, core::kMinCanvasPixels, core::kMaxCanvasPixels);
    s.Height = ReadClamped<int32_t>(file, c, "Height", d.Height, core::kMinCanvasPixels, core::kMaxCanvasPixels);
    s.BackColorR = ReadClamped<uint8_t>(file, c, "BackColorR", d.BackColorR, 0, 255);
    s.BackColorG = ReadClamped<uint8_t>(file, c, "BackColorG", d.BackColorG, 0, 255);
    s.BackColorB = ReadClamped<uint8_t>(file, c, "BackColorB", d.BackColorB, 0, 255);
    s.OptimizeFlag = ReadFlag(file, c, "OptimizeFlag", d.OptimizeFlag);
    s.OptimizePoint = ReadClamped<int32_t>(file, c, "OptimizePoint", d.OptimizePoint, 0, 400);
    s.OptimizeLine = ReadClamped<int32_t>(file, c, "OptimizeLine", d.OptimizeLine, 0, 200);
    s.Quality = ReadClamped<int16_t>(file, c, "Quality", d.Quality, 0, 3);
    s.AutoConvertFlag = ReadFlag(file, c, "AutoConvertFlag", d.AutoConvertFlag);
    s.AutoConvertValue = ReadClamped<int32_t>(file, c, "AutoConvertValue", d.AutoConvertValue, 0, 3);
    s.GridWidth = ReadClamped<int32_t>(file, c, "GridWidth", d.GridWidth, 1, kInt32Max);
    s.GridHeight = ReadClamped<int32_t>(file, c, "GridHeight", d.GridHeight, 1, kInt32Max);
    s.GridPower = ReadInteger<int32_t>(file, c, "GridPower", d.GridPower);
    s.FloodQuality = ReadClamped<int16_t>(file, c, "FloodQuality", d.FloodQuality, 0, 4);
    s.FloodAccuracy = ReadSingle(file, c, "FloodAccuracy", d.FloodAccuracy);
    s.FloodChink = ReadSingle(file, c, "FloodChink", d.FloodChink);
    s.FloodAcute = ReadSingle(file, c, "FloodAcute", d.FloodAcute);
    s.DrawOutsideFlag = ReadFlag(file, c, "DrawOutsideFlag", d.DrawOutsideFlag);
    s.ScrollMargin = ReadInteger<int32_t>(file, c, "ScrollMargin", d.ScrollMargin);
}

bool SavePreferenceSub(const std::string &path, const core::CanvasSettings &settings)
{
    ProfileFile file(path);
    SavePreferenceSub(file, settings);
    return file.Save();
}

void LoadPreferenceSub(const std::string &path, core::CanvasSettings &settings)
{
    LoadPreferenceSub(ProfileFile(path), settings);
}

void WriteSettings(ProfileFile &file, const SettingsExtras &extras, const MainState &state,
                   const core::CanvasSettings &settings)
{
    const char *q = kMainSection;
    WriteIniNumber(file, q, "WindowState", extras.Window.WindowState);
    WriteIniNumber(file, q, "Left", extras.Window.Left);
    WriteIniNumber(file, q, "Top", extras.Window.Top);
    WriteIniNumber(file, q, "Width", extras.Window.Width);
    WriteIniNumber(file, q, "Height", extras.Window.Height);
    for (const auto &[key, field] : kOptionKeys) {
        WriteIniNumber(file, q, key, state.*field);
    }
    for (int slot = 0; slot < core::kRecentFileSlots; ++slot) {
        WriteIniString(file, q, RecentFileKey(slot), extras.RecentFiles[static_cast<size_t>(slot)]);
    }
    WritePlacement(file, kPathToolBox, state);
    WritePlacement(file, kFolderToolBox, state);
    WriteIniString(file, "FolderToolBox", "Directory", state.BrowserFolder);
    WritePlacement(file, kBrushToolBox, state);
    WritePlacement(file, kGradientToolBox, state);
    WritePlacement(file, kPositionToolBox, state);
    WriteIniNumber(file, "PreviewWindow", "Left", state.PreviewWindowLeft);
    WriteIniNumber(file, "PreviewWindow", "Top", state.PreviewWindowTop);
    WriteIniNumber(file, "PreviewWindow", "PreviewFPS", state.PreviewFPS);
    WriteIniNumber(file, "PreviewWindow", "PreviewMorphFrame", state.PreviewMorphFrame);
    SavePreferenceSub(file, settings);
    WriteIniNumber(file, q, "HistoryMax", settings.HistoryMax);
}

std::vector<std::string> PathsNotStoredAsTheyAre(const SettingsExtras &extras, const MainState &state)
{
    std::vector<std::string> paths;
    for (const std::string &path : extras.RecentFiles) {
        if (!platform::FitsCp932(path)) {
            paths.push_back(path);
        }
    }
    if (!platform::FitsCp932(state.BrowserFolder)) {
        paths.push_back(state.BrowserFolder);
    }
    return paths;
}

void ReadSettings(const ProfileFile &file, SettingsExtras &extras, MainState &state, core::CanvasSettings &settings,
                  const QRect &workArea)
{
    const char *q = kMainSection;
    WindowPlacementTwips &window = extras.Window;
    window.WindowState = ReadClamped<int32_t>(file, q, "WindowState", window.WindowState, 0, 2);
    window.Left = ReadSingle(file, q, "Left", window.Left);
    window.Top = ReadSingle(file, q, "Top", window.Top);
    window.Width = ReadSingle(file, q, "Width", window.Width);
    window.Height = ReadSingle(file, q, "Height", window.Height);
    ClampMainWindow(window, workArea);
    for (const auto &[key, field] : kOptionKeys) {
        state.*field = ReadFlag(file, q, key, field == &MainState::UseToolIcons ? 1 : 0);
    }
    for (int slot = 0; slot < core::kRecentFileSlots; ++slot) {
        extras.RecentFiles[static_cast<size_t>(slot)] = GetIniString(file, q, RecentFileKey(slot), "");
    }
    ReadPlacement(file, kPathToolBox, state, workArea);
    state.BrowserFolder = GetIniString(file, "FolderToolBox", "Directory", "");
    ReadPlacement(file, kFolderToolBox, state, workArea);
    ReadPlacement(file, kPositionToolBox, state, workArea);
    ReadPlacement(file, kBrushToolBox, state, workArea);
    ReadPlacement(file, kGradientToolBox, state, workArea);
    state.PreviewWindowLeft = ReadInteger<int32_t>(file, "PreviewWindow", "Left", state.PreviewWindowLeft);
    state.PreviewWindowTop = ReadInteger<int32_t>(file, "PreviewWindow", "Top", state.PreviewWindowTop);
    ClampFrame(state.PreviewWindowLeft, state.PreviewWindowTop, nullptr, nullptr, workArea);
    state.PreviewFPS = std::clamp(ReadSingle(file, "PreviewWindow", "PreviewFPS", 12.0f), 1.0f, 255.0f);
    state.PreviewMorphFrame = ReadClamped<int32_t>(file, "PreviewWindow", "PreviewMorphFrame", 20, 2, kInt32Max);
    LoadPreferenceSub(file, settings);
    settings.HistoryMax = ReadClamped<int32_t>(file, q, "HistoryMax", 20, 1, core::kHistoryMaxLimit);
    const core::CanvasSettings defaults;
    settings.BackgroundFlag = 0;
    settings.BackgroundFile.clear();
    settings.BackgroundX = 0;
    settings.BackgroundY = 0;
    settings.BackgroundScale = defaults.BackgroundScale;
    settings.BackgroundOpacity = defaults.BackgroundOpacity;
}

}  // namespace mainwindow
