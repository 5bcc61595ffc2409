#include "mainwindow/shape_windows_bridge.h"

#include "platform/forms/controls.h"
#include "platform/forms/modal_dialog.h"
#include "toolwindows/dialog_support.h"
#include "toolwindows/polygon_window.h"
#include "toolwindows/rectangle_dialog.h"
#include "toolwindows/text_window.h"

#include <QPlainTextEdit>

namespace mainwindow {
namespace {

void OpenAtPointer(QDialog &window)
{
    toolwindows::PlaceAtPointer(window);
    platform::ShowModal(window);
}

}  // namespace

toolwindows::PolygonGUI &ShapeWindowsBridge::PolygonWindow() const
{
    if (!polygon_) {
        polygon_ = new toolwindows::PolygonGUI(&owner_);
    }
    return *polygon_;
}

toolwindows::TextFontGUI &ShapeWindowsBridge::TextWindow() const
{
    if (!text_) {
        text_ = new toolwindows::TextFontGUI(&owner_);
    }
    return *text_;
}

core::PolygonToolValues ShapeWindowsBridge::PolygonValues() const
{
    return PolygonWindow().Values();
}

double ShapeWindowsBridge::PolygonCornerCount() const
{
    return PolygonWindow().CornerCount();
}

QString ShapeWindowsBridge::PolygonCornerText() const
{
    return PolygonWindow().Text1->Text();
}

void ShapeWindowsBridge::SetPolygonCornerText(const QString &text)
{
    PolygonWindow().Text1->SetText(text);
}

void ShapeWindowsBridge::OpenPolygonWindow()
{
    OpenAtPointer(PolygonWindow());
}

core::TextToolValues ShapeWindowsBridge::TextValues() const
{
    return TextWindow().Values();
}

platform::FontRequest ShapeWindowsBridge::TextCanvasFont() const
{
    return TextWindow().CanvasFont();
}

QString ShapeWindowsBridge::TextWindowText() const
{
    return TextWindow().Text1->toPlainText();
}

QString ShapeWindowsBridge::TextFontName() const
{
    return TextWindow().Combo1->Text();
}

void ShapeWindowsBridge::FillTextFontList(bool useVerticalFont)
{
    TextWindow().EnumTrueTypeFont(useVerticalFont);
}

void ShapeWindowsBridge::OpenTextWindow()
{
    OpenAtPointer(TextWindow());
}

void ShapeWindowsBridge::ShowRectangleSettings(float &size, int32_t cornerStyle)
{
    toolwindows::ShowRectangleSettings(&owner_, size, cornerStyle);
}

}  // namespace mainwindow
