// The brush list: the stamp shapes of the brush and eraser tool, with their names and the brush
// in use. Kept in memory for the whole run; the brush file is read at start-up and written at exit.
#pragma once

#include "core/path_record.h"

#include <string>
#include <vector>

namespace core {

// The most brushes the list holds: each is an item of the brush menu and a row of the palette.
inline constexpr int32_t kMaxBrushes = 1000;

struct BrushList {
    int32_t BrushCount = 0;
    PathArray BrushPaths{PathRecord()};           // 1 .. BrushCount, anchors relative to (0, 0)
    std::vector<std::string> BrushNames{""};      // 1 .. BrushCount
    int32_t CurrentBrush = 1;                     // 1 .. BrushCount
};

BrushList &Brushes();
void ResetBrushesForTest();

// Replaces the list by the eight default brushes (four round, four square), brush 1 current,
// and has the brush menu and the palette show them.
void SetupDefaultBrushes();

// Replaces the whole list (names and paths with entries 1 .. count); brush 1 becomes current and
// the brush menu is rebuilt. False, with nothing changed, when the two do not match, are empty or
// hold more than kMaxBrushes.
bool ReplaceBrushes(PathArray paths, std::vector<std::string> names);

// The captions of the brush menu's items 0 .. BrushCount - 1: "&", the brush number, a full-width
// space and the name.
std::vector<std::string> BrushMenuCaptions();

// Has the main window rebuild its brush menu from the list.
void RefreshBrushMenu();

// Stores the one selected closed path as the current brush, centred on its line-widened bounds.
// Does nothing unless exactly one path is selected and it is closed.
void SetPathAsBrush();

}  // namespace core
