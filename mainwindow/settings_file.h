// The settings file (quillark.ini) and default.dat: the profile primitives with the files' number
// format, and the readers and writers of the sections, in the file's own key order.
#pragma once

#include "core/canvas_settings.h"
#include "core/document_lifecycle.h"
#include "mainwindow/main_state.h"
#include "platform/forms/window_placement.h"
#include "platform/profile/profile.h"

#include <QRect>

#include <array>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace mainwindow {

inline constexpr const char *kSettingsFileName = "quillark.ini";
inline constexpr const char *kDefaultCanvasFileName = "default.dat";
inline constexpr const char *kMainSection = "Quillark";
inline constexpr const char *kCanvasSection = "Canvas";

// Numbers as the settings file writes them: integers as plain digits, other values in their
// shortest decimal form with "." and without an exponent for ordinary magnitudes.
std::string IniNumberText(double value);
std::string IniNumberText(float value);

std::string GetIniString(const platform::ProfileFile &file, std::string_view section, std::string_view key,
                         std::string_view fallback);
void WriteIniString(platform::ProfileFile &file, std::string_view section, std::string_view key,
                    std::string_view value);
// The number at the start of the value (blanks skipped, &H and &O read); 0 when the value does
// not begin with a number; the default when the key is missing.
double GetIniNumber(const platform::ProfileFile &file, std::string_view section, std::string_view key,
                    double fallback);
// Writes an integer or a real of any width; a float in its own shortest form ("0.1", not the
// digits of its double value).
template <typename Number>
void WriteIniNumber(platform::ProfileFile &file, std::string_view section, std::string_view key, Number value)
{
    if constexpr (std::is_same_v<Number, float>) {
        WriteIniString(file, section, key, IniNumberText(value));
    } else {
        WriteIniString(file, section, key, IniNumberText(static_cast<double>(value)));
    }
}

// The 20 "Canvas" keys of the canvas settings. Values read are kept to what the program can use.
void SavePreferenceSub(platform::ProfileFile &file, const core::CanvasSettings &settings);
void LoadPreferenceSub(const platform::ProfileFile &file, core::CanvasSettings &settings);
// The same on a named file (default.dat); saving reports failure.
bool SavePreferenceSub(const std::string &path, const core::CanvasSettings &settings);
void LoadPreferenceSub(const std::string &path, core::CanvasSettings &settings);

// The main window's placement as the settings file keeps it (twips; state 0 normal, 1 minimised,
// 2 maximised).
struct WindowPlacementTwips {
    int32_t WindowState = 0;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
};

// What the settings file holds besides the canvas settings and the main state.
struct SettingsExtras {
    WindowPlacementTwips Window;
    std::array<std::string, core::kRecentFileSlots> RecentFiles;  // the newest first
};

// Writes every section in the file's order, "HistoryMax" last of all into the main section.
void WriteSettings(platform::ProfileFile &file, const SettingsExtras &extras, const MainState &state,
                   const core::CanvasSettings &settings);
// The recent files and the browser folder that the file's code page cannot hold as they are (they
// are written as the nearest text it has).
std::vector<std::string> PathsNotStoredAsTheyAre(const SettingsExtras &extras, const MainState &state);

// Reads every key; the values in extras, state and settings are the defaults of the keys that are
// missing (the window's current placement, for example). Every window placement is brought inside
// the work area (pixels). The underlay fields are reset.
void ReadSettings(const platform::ProfileFile &file, SettingsExtras &extras, MainState &state,
                  core::CanvasSettings &settings, const QRect &workArea = platform::WorkArea(nullptr));

}  // namespace mainwindow
