// End-to-end journeys: the real main window, started as the program starts it in a program folder
// of its own, driven only as a user drives it (mouse and key events on the real widgets, menu
// commands through their menus, dialogs answered through the dialog hooks) and checked by what
// the user sees: the pixels of the canvas, the caption and the files written.
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"
#include "mainwindow/draw_gui.h"

#include <QImage>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStyle>

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QMenu;
class QAction;
class QComboBox;
class QScrollBar;

namespace journeys {

// A colour as the screen shows it (0xRRGGBB).
using Rgb = uint32_t;
constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kBlack = 0x000000;

class Journey : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the window anew (after a quit, or for a second start over the same folder).
    void StartWindow(const QString &commandLine = QString());
    // Closes the window as the user does; false when the program stayed open.
    bool QuitWindow();

    // ---- Where things are
    // The picture position of a canvas point given in twips at the present zoom and scroll.
    QPoint At(int32_t xTwips, int32_t yTwips) const;
    // The same for a point in canvas pixels (20 twips each).
    QPoint AtPixel(double x, double y) const { return At(int32_t(x * 20), int32_t(y * 20)); }

    // ---- Input, as real Qt events on the real widgets
    void Press(QWidget *widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void MoveTo(QWidget *widget, QPoint at, Qt::MouseButtons held = Qt::NoButton,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Release(QWidget *widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Click(QWidget *widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // On the canvas: the pointer comes to the first point, presses, moves through the others in
    // small steps and releases at the last.
    void Drag(const std::vector<QPoint> &points, Qt::MouseButton button = Qt::LeftButton,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The same without the release: the button stays held at the last point (for a look at the
    // canvas during the gesture); `Release(window->Picture1, points.back(), button)` ends it.
    void PressAndMove(const std::vector<QPoint> &points, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void ClickCanvas(QPoint at, Qt::MouseButton button = Qt::LeftButton,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A key pressed and released with the canvas focused.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A rectangle dragged with the rectangle tool in the current style, then unselected (Esc).
    void DrawUnselectedRectangle(QPoint from, QPoint to);
    // Clicks a button of the tool palette.
    void ChooseTool(int tool);
    // Right-clicks a tool button (rectangle kind, ellipse anchors, brush) and chooses the item of
    // its pop-up menu along these captions.
    void ToolButtonMenu(int tool, std::initializer_list<QString> captions);
    // Clicks a check box (real-time drawing, grid, ...) of the side panel.
    void ClickCheck(QWidget *check);
    // Style palette rows (picture y of the row's middle): line only, fill only, line and fill,
    // then the fill kinds solid, linear 1, linear 2, radial.
    enum StyleRow { kLineOnly = 12, kFillOnly = 28, kLineAndFill = 44, kSolid = 68, kLinear1 = 92,
                    kLinear2 = 116, kRadial = 140 };
    void ChooseStyle(StyleRow row);
    // Real-time drawing switched on or off with its check box.
    void SetRealtime(bool on);
    // Clicks a colour of the picker's palette (web-safe colours only): the left button makes it the
    // line colour, the right button the fill colour. The selected paths take it too.
    void PickColor(Rgb colour, Qt::MouseButton button);
    // Draws a rectangle with the rectangle tool from one corner to the other (picture positions);
    // the select tool is current afterwards, with the new rectangle selected.
    void DrawRectangle(QPoint from, QPoint to);
    // Wheel notches over the canvas: positive away from the user.
    void Wheel(int notches);
    // Clicks a part of a scroll bar (an arrow or the groove beside the thumb).
    void ClickScrollBar(QScrollBar *bar, QStyle::SubControl part);
    // Where a part of a scroll bar (an arrow, the groove, the thumb) is drawn on it.
    QRect ScrollBarPart(const QScrollBar *bar, QStyle::SubControl part) const;
    // Types the text into a combo box's edit field in place of what it held and presses Enter.
    void TypeIntoCombo(QComboBox *combo, const QString &text);
    // Drops the files on the canvas at a picture position.
    void DropOnCanvas(const QStringList &files, QPoint at);
    // Opens the menu bar's menus along the captions (mnemonics and "..." left out, e.g.
    // {"ファイル", "上書き保存"}) and chooses the last item. Fails the test when one is missing or disabled.
    void Menu(std::initializer_list<QString> captions);

    // Undo and redo by the Edit menu or by Ctrl+Z / Ctrl+Y.
    void Undo(bool byKey = false);
    void Redo(bool byKey = false);
    // Undoes the last step and redoes it, first by the menu, then by the keys: `before` must hold
    // after each undo and `after` after each redo.
    void ExpectUndoRedo(const std::function<bool()> &before, const std::function<bool()> &after);

    // ---- Answers to what the program asks
    // The next pop-up menu chooses the item along these captions (submenus included).
    void AnswerPopup(std::initializer_list<QString> captions);
    // Whether every pop-up answer given has been used by a pop-up menu.
    bool PopupsAnswered() const { return popupAnswers_.empty(); }
    // The next file dialog returns this path (empty: Cancel).
    void AnswerFileDialog(const std::string &path);
    // The next message box returns this answer (platform::kMbYes ...).
    void AnswerMessage(int answer);
    // The next modal dialog is worked by this function (what it leaves open is cancelled).
    void AnswerDialog(std::function<void(QDialog &)> work);

    // ---- What the user sees
    // The canvas picture box as the screen shows it.
    QImage Canvas() const;
    // The part of the canvas picture that no scroll bar lies over.
    QRect CanvasUncovered() const;
    // The canvas pixel at a picture position.
    Rgb PixelAt(QPoint at) const;
    // How many pixels in the area (picture positions) lie within tolerance of the colour.
    int CountColor(QRect area, Rgb colour, int tolerance = 24) const;
    int CountColor(const QImage &image, QRect area, Rgb colour, int tolerance = 24) const;
    // How many pixels of the colour lie within `radius` pixels of the polyline's points (picture).
    // The default tolerance takes the half-covered pixels of an anti-aliased thin line as ink.
    int CountAlong(const std::vector<QPoint> &points, Rgb colour, int radius = 2, int tolerance = 160) const;
    // How many pixels of the colour lie within `radius` pixels of a point (ink tolerance as above).
    int CountNear(QPoint at, Rgb colour, int radius = 2, int tolerance = 160) const;
    // The smallest rectangle holding the area's pixels of the colour (empty when there are none).
    QRect BoundsOf(QRect area, Rgb colour, int tolerance = 160) const;
    // How many pixels in the area are not the canvas' white (ink of any colour).
    int CountInk(QRect area, int tolerance = 24) const;
    // The area of picture positions between two canvas points in twips (normalised).
    QRect AreaTwips(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    QString Caption() const;

    // ---- What the document fixes, whatever the movie written of it
    // Whether the canvas shows the colour around a canvas point in twips (through the present
    // zoom and scroll): most pixels of the 5 x 5 square there have it, so that a grid or frame
    // line over it changes nothing.
    bool ShowsAt(int32_t xTwips, int32_t yTwips, Rgb colour, int tolerance = 8) const;
    bool ShowsAt(const QImage &canvas, int32_t xTwips, int32_t yTwips, Rgb colour, int tolerance = 8) const;
    // Expects the canvas to show each shown path of one opaque solid fill (a polygon of its own,
    // in no compound) in its fill colour at the places well inside it that no later path and no
    // selection frame reaches, and the canvas colour wherever no path reaches (a moved path's
    // old place among them): the places the document's geometry fixes. Nothing is expected over
    // an underlay.
    void ExpectDocumentShown(const std::string &step) const;
    // The same unless the exact picture is still being drawn (a preview shows).
    void ExpectDocumentShownWhenDrawn(const std::string &step) const;
    bool CaptionModified() const { return Caption().endsWith(QStringLiteral(" *")); }

    // Types the text into a text box as the keyboard does, replacing what it held; Enter after
    // it when asked.
    void Type(QWidget *box, const QString &text, bool enter = false);

    // ---- The program folder of this journey and files in it
    std::string File(const std::string &name) const;
    // A closed square of canvas pixels, filled with the colour (0xRRGGBB) and without a line.
    static core::PathRecord Square(int left, int top, int size, Rgb fill);
    // A drawing file of the paths on a canvas of the settings (by default 320 x 320 pixels),
    // written in the journey's folder as a user would have saved it before; returns its path.
    std::string WriteDrawing(const std::string &name, const std::vector<core::PathRecord> &paths,
                             const core::CanvasSettings &settings = core::CanvasSettings());
    // File > Open with the file dialog answered by the path.
    void OpenDrawing(const std::string &path);

    std::unique_ptr<mainwindow::DrawGUI> window;
    std::vector<QString> messageTexts;  // the texts of the message boxes shown, in order
    std::vector<std::string> dialogsShown;  // class names of the modal dialogs shown

private:
    static QAction *FindAction(QMenu *menu, const QString &caption);

    std::string runFolder_;  // the test run's program folder, restored afterwards
    std::string folder_;
    std::deque<std::vector<QString>> popupAnswers_;
    std::deque<std::string> fileAnswers_;
    std::deque<int> messageAnswers_;
    std::deque<std::function<void(QDialog &)>> dialogAnswers_;
};

// While it lives, the window manager puts this frame (borders and a title bar) around every
// window shown.
class WindowManagerFrame {
public:
    WindowManagerFrame();
    ~WindowManagerFrame();
    WindowManagerFrame(const WindowManagerFrame &) = delete;
    WindowManagerFrame &operator=(const WindowManagerFrame &) = delete;
    // Where the client area's top left lies from the frame's.
    QPoint ClientOffset() const { return QPoint(frame_.left(), frame_.top()); }

private:
    QMargins frame_{1, 20, 1, 1};
};

// Whether every channel of the two colours lies within the tolerance.
bool Near(Rgb a, Rgb b, int tolerance);

// A journey run with real-time drawing off ("Quick") and on ("Realtime"), switched with its
// check box before the journey starts.
class RealtimeJourney : public Journey, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override;
};
std::string RealtimeName(const testing::TestParamInfo<bool> &info);

// A caption without its mnemonic ("(&F)", "&") and trailing "...".
QString PlainCaption(QString caption);

}  // namespace journeys
