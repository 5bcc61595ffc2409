// Building a path while the freehand and pen tools draw: BeginPath on mouse-down, AddAnchor on
// each move or click, FinishPath on release. The path in progress is tracked, so that a command
// that changes the document in between can end it first and no later click adds anchors to an
// unrelated path.
#pragma once

#include "core/path_record.h"

#include <array>
#include <cstdint>

namespace core {

struct PathBuilderState {
    int32_t PathInProgress = 0;  // index of the path being built; 0 when none
    size_t AnchorCount = 0;      // its anchors as the builder left them, to notice a replaced document
    AnchorPoint LastAnchor;
};

PathBuilderState &PathBuilder();
void ResetPathBuilderForTest();

// The style every new path takes from the tools: line width in canvas pixels (rounded to twips),
// line mode, fill type and the colours line, fill and second gradient colour.
void SetNewPathStyle(PathRecord &path, float width, int16_t lineMode, int16_t fillType,
                     const std::array<Color, 3> &colors);

// Appends a new one-anchor path with the given style (width in canvas pixels; colours: line,
// fill, second gradient colour) and makes it the path in progress.
void BeginPath(int32_t x, int32_t y, float width, int16_t lineMode, int16_t fillType,
               const std::array<Color, 3> &colors, int16_t kind);
// Appends an anchor to the path in progress; kind -1 turns the previous anchor into a control
// point and adds an on-curve one. Nothing when no path is in progress.
void AddAnchor(int32_t x, int32_t y, int16_t kind);
// Ends the path in progress: closes it, drops it when it has a single anchor, or fits its gradient,
// optimises it, converts it to a brush outline when the settings ask, redraws and records an undo
// step. x and y are not used. Nothing when no path is in progress.
void FinishPath(int32_t x, int32_t y, bool close);

// True while a path started by BeginPath is still the last path of the document, as it was left.
bool IsBuildingPath();
// Finishes the path in progress as an open path (as FinishPath would); forgets a stale one.
void EndPathInProgress();
// Forgets the path in progress without finishing it (the document is being replaced).
void AbandonPathInProgress();
// Called when path i leaves the document: a path in progress at or above i is abandoned.
void NotePathRemoved(int32_t i);

// Converts every selected path into a brush outline of the brush type 1..4.
void ConvertSelectedToBrush(int32_t brushType);
// Centres the gradient on the anchors' bounding box and spans it over the longer side.
void FitGradientFrame(PathRecord &path);

}  // namespace core
