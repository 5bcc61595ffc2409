// The windows the shape tools open and read: the polygon window, the text window and the rectangle
// tool's corner-size dialog. The canvas tools own this interface and reach the windows through it
// only; the main window installs the real one when it is built. Without it every call does nothing
// and answers as windows never opened would.
#pragma once

#include "core/polygons.h"
#include "core/text_outlines.h"
#include "platform/glyphs/glyph_font.h"

#include <QString>

#include <cstdint>

namespace canvastools {

class ShapeToolWindows {
public:
    virtual ~ShapeToolWindows() = default;

    // The polygon window: the values a new polygon takes, the corner count as typed (0 when the
    // text starts with no number) and the typed text itself.
    virtual core::PolygonToolValues PolygonValues() const { return {}; }
    virtual double PolygonCornerCount() const { return 0; }
    virtual QString PolygonCornerText() const { return {}; }
    virtual void SetPolygonCornerText(const QString & /*text*/) {}
    // Opens the polygon window modal at the pointer.
    virtual void OpenPolygonWindow() {}

    // The text window: the text and layout new text takes, the font its "OK" last handed to the
    // canvas, the text as typed and the chosen font's name.
    virtual core::TextToolValues TextValues() const { return {}; }
    virtual platform::FontRequest TextCanvasFont() const { return {}; }
    virtual QString TextWindowText() const { return {}; }
    virtual QString TextFontName() const { return {}; }
    // Fills the text window's font list from the installed outline fonts.
    virtual void FillTextFontList(bool /*useVerticalFont*/) {}
    // Opens the text window modal at the pointer.
    virtual void OpenTextWindow() {}

    // "矩形の設定(&O)...": the corner-size dialog for the corner style (1-4; 0 keeps the caption it
    // showed last), modal beside the pointer; the stored size is updated on OK.
    virtual void ShowRectangleSettings(float & /*size*/, int32_t /*cornerStyle*/) {}
};

// The installed windows (do-nothing ones when none are installed).
ShapeToolWindows &ShapeWindows();

// Installs the windows; nullptr puts the do-nothing ones back. The caller keeps ownership.
void SetShapeWindows(ShapeToolWindows *windows);

}  // namespace canvastools
