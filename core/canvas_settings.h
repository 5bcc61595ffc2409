// The canvas settings of the drawing being edited.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// The deepest undo history kept (HistoryMax): every step holds a whole copy of the drawing.
inline constexpr int32_t kHistoryMaxLimit = 10000;

// Field order is also the binary order inside backup files.
struct CanvasSettings {
    int32_t Width = 320;  // canvas pixels
    int32_t Height = 320;
    uint8_t BackColorR = 255;
    uint8_t BackColorG = 255;
    uint8_t BackColorB = 255;
    int16_t OptimizeFlag = 1;     // bit 1: optimise with OptimizePoint, bit 2: with OptimizeLine
    int32_t OptimizePoint = 60;   // twips
    int32_t OptimizeLine = 30;    // twips
    int16_t Quality = 2;          // 0..3: "low", "medium", "high", "best"
    int32_t HistoryMax = 20;      // undo depth
    int16_t AutoConvertFlag = 0;
    int32_t AutoConvertValue = 0;
    int32_t GridWidth = 400;      // twips
    int32_t GridHeight = 400;
    int32_t GridPower = 85;       // percent
    int16_t FloodQuality = 0;     // 0..4 (4 custom)
    float FloodAccuracy = 2;
    float FloodChink = 7;
    float FloodAcute = 30;
    int16_t DrawOutsideFlag = 1;
    int32_t ScrollMargin = 64;    // pixels
    int16_t BackgroundFlag = 0;
    std::string BackgroundFile;   // UTF-8
    int32_t BackgroundX = 0;      // pixels
    int32_t BackgroundY = 0;
    float BackgroundScale = 1.0f;
    int32_t BackgroundOpacity = 128;  // 0..256, 256 opaque

    bool operator==(const CanvasSettings &) const = default;
};

// The canvas sizes the canvas movie's shapes can hold, in pixels a side: the canvas rectangle,
// the grid and the underlay's bitmap rectangle reach 65535 twips at most (17-bit shape record
// fields). The movie's frame stops at 1638 pixels (its 16-bit RECT); the players draw the canvas
// past it. Every place a canvas size enters keeps to these, so the view, its coordinates and the
// movie agree.
inline constexpr int32_t kMinCanvasPixels = 1;
inline constexpr int32_t kMaxCanvasPixels = 3276;
// A canvas side brought into that range.
int32_t ClampCanvasSide(int64_t pixels);
// The settings' canvas size brought into that range (a drawing or backup that enters the editor).
void ClampCanvasSize(CanvasSettings &settings);

// The player quality name of a Quality value (out-of-range values give "high").
const char *QualityName(int16_t quality);

}  // namespace core
