// The shape tools' windows as the canvas tools ask for them: the polygon and text windows, made
// with the main window as owner on first use, and the rectangle tool's corner-size dialog.
#pragma once

#include "canvastools/shape_tool_windows.h"

#include <QPointer>

class QWidget;

namespace toolwindows {
class PolygonGUI;
class TextFontGUI;
}  // namespace toolwindows

namespace mainwindow {

class ShapeWindowsBridge : public canvastools::ShapeToolWindows {
public:
    explicit ShapeWindowsBridge(QWidget &owner) : owner_(owner) {}

    core::PolygonToolValues PolygonValues() const override;
    double PolygonCornerCount() const override;
    QString PolygonCornerText() const override;
    void SetPolygonCornerText(const QString &text) override;
    void OpenPolygonWindow() override;
    core::TextToolValues TextValues() const override;
    platform::FontRequest TextCanvasFont() const override;
    QString TextWindowText() const override;
    QString TextFontName() const override;
    void FillTextFontList(bool useVerticalFont) override;
    void OpenTextWindow() override;
    void ShowRectangleSettings(float &size, int32_t cornerStyle) override;

private:
    // The windows, made on first use (the owner deletes them with itself).
    toolwindows::PolygonGUI &PolygonWindow() const;
    toolwindows::TextFontGUI &TextWindow() const;

    QWidget &owner_;
    mutable QPointer<toolwindows::PolygonGUI> polygon_;
    mutable QPointer<toolwindows::TextFontGUI> text_;
};

}  // namespace mainwindow
