#include "canvastools/tool_palette.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/canvas_window.h"
#include "canvastools/pen_tools.h"
#include "canvastools/selection_overlay.h"
#include "canvastools/shape_tool_windows.h"
#include "canvastools/shape_tools.h"
#include "canvastools/status_line.h"
#include "core/brush_list.h"
#include "core/document.h"
#include "core/host.h"
#include "platform/base/number_text.h"
#include "platform/forms/controls.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/picture_box.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QVariant>

#include <array>
#include <map>
#include <string>

namespace canvastools {
namespace {

using core::Doc;

constexpr int kToolCount = 11;
constexpr int kIconButton = 25;     // icon mode: buttons 25 x 25, the select button 50 wide
constexpr int kTextButtonWidth = 50;
constexpr const char *kToolIndexProperty = "toolIndex";
constexpr int kTextButtonHeight = 17;
// Icon mode: button i at column digit(2i+1), row digit(2i+2) of this text (counted from 1).
constexpr const char *kIconCells = "0201001103131204140515";
// Text mode: button i in the row of the hexadecimal digit i+1.
constexpr const char *kTextRows = "3102564789A";
const char *const kTextCaptions[kToolCount] = {"鉛筆", "変形", "選択", "グラデ", "□", "○",
                                               "＼", "☆", "文字", "バケツ", "ブラシ"};
// The pictures' symbols: tool buttons 0..10, 11 curved pen, 12 eraser, 14 underlay, 15 underlay
// behind, 16 grid, 17 snap, 18 underlay in front.
const std::map<int, const char *> kIconSymbols = {
    {0, "✎"}, {1, "◇"}, {2, "↖"}, {3, "▤"}, {4, "□"}, {5, "○"}, {6, "＼"}, {7, "☆"}, {8, "A"},
    {9, "▼"}, {10, "●"}, {11, "～"}, {12, "◌"}, {14, "下"}, {15, "後"}, {16, "#"}, {17, "吸"}, {18, "前"}};
// The tools' pointer pictures ImgCursor1..9 (0: the default arrow).
constexpr std::array<int, kToolCount> kToolCursorImage = {1, 4, 0, 5, 7, 6, 1, 8, 9, 2, 0};

struct PaletteWidgets {
    QWidget *Picture2 = nullptr;  // the tool buttons
    QWidget *Picture3 = nullptr;  // the display check boxes
};

PaletteWidgets &Palette()
{
    static PaletteWidgets widgets;
    return widgets;
}

CanvasView &Window()
{
    return CanvasWindow();
}

platform::OptionButton *Button(int index)
{
    return Window().ToolPaletteControls().Option1[static_cast<size_t>(index)];
}

QPixmap ImgIcon(int index)
{
    static std::map<int, QPixmap> icons;
    auto found = icons.find(index);
    if (found != icons.end()) {
        return found->second;
    }
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    auto symbol = kIconSymbols.find(index);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromUtf8(symbol != kIconSymbols.end() ? symbol->second : "?"));
    painter.end();
    return icons.emplace(index, pixmap).first->second;
}

// A cross-hair pointer marked with its tool's symbol; the hot spot is the cross's centre.
QCursor ImgCursor(int number)
{
    static std::map<int, QCursor> cursors;
    auto found = cursors.find(number);
    if (found != cursors.end()) {
        return found->second;
    }
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawLine(8, 3, 8, 13);
    painter.drawLine(3, 8, 13, 8);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(QRect(12, 12, 20, 20), Qt::AlignCenter, QString::number(number));
    painter.end();
    return cursors.emplace(number, QCursor(pixmap, 8, 8)).first->second;
}

void ShowIcon(QAbstractButton *button, int icon)
{
    button->setIcon(QIcon(ImgIcon(icon)));
    button->setIconSize(QSize(20, 20));
    button->setText(QString());
}

void ShowCaption(QAbstractButton *button, const QString &caption)
{
    button->setIcon(QIcon());
    button->setText(caption);
}

QString GeneralText(double value)
{
    return QString::fromStdString(platform::FormatNumber(value));
}

// A single-precision value in its shortest general text ("0.6", not the double's digits).
QString GeneralText(float value)
{
    return GeneralText(platform::Val(platform::FormatSingle(value)));
}

QString OptimisationHint()
{
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    QString hint;
    if (settings.OptimizeFlag > 0 || settings.AutoConvertFlag == 1) {
        hint += QStringLiteral("自動適用：");
    }
    if (settings.OptimizeFlag & 1) {
        hint += QStringLiteral("弱い最適化(%1) ").arg(settings.OptimizePoint);
    }
    if (settings.OptimizeFlag & 2) {
        hint += QStringLiteral("強い最適化(%1) ").arg(settings.OptimizeLine);
    }
    if (settings.AutoConvertFlag == 1) {
        hint += QStringLiteral("線→塗り自動変換 ");
    }
    return hint;
}

QString RectangleHint()
{
    static const char *const kKindNames[] = {"", "角丸", "凹丸", "凹角", "ベベル"};
    QString hint = QStringLiteral("[矩形の描画]");
    int32_t kind = Input().RectangleKind;
    if (kind < 1) {
        return hint + QStringLiteral(" ﾎﾞﾀﾝ上で右ｸﾘｯｸ：矩形の種類選択");
    }
    hint += QStringLiteral(" (") + QString::fromUtf8(kind <= 4 ? kKindNames[kind] : "") + QStringLiteral(") ");
    float size = Input().RectangleCornerSize;
    if (size > 0.5f) {
        hint += GeneralText(size) + QStringLiteral("px");
    } else if (size > 0.0f) {
        hint += GeneralText(static_cast<float>(size * 200.0f)) + QStringLiteral("%");
    }
    return hint;
}

QString BucketHint()
{
    static const char *const kQualityNames[] = {"低", "中", "高", "最高"};
    const core::CanvasSettings &settings = Doc().CurrentSettings;
    QString hint = QStringLiteral("[バケツツール] 品質:");
    if (settings.FloodQuality >= 0 && settings.FloodQuality <= 3) {
        return hint + QString::fromUtf8(kQualityNames[settings.FloodQuality]);
    }
    return hint + QStringLiteral("カスタム　精度(%1) 隙間(%2) 鋭角(%3)")
                      .arg(GeneralText(settings.FloodAccuracy), GeneralText(settings.FloodChink),
                           GeneralText(settings.FloodAcute));
}

QString BrushHint()
{
    QString brush = QString::number(core::Brushes().CurrentBrush);
    if (Input().BrushEraseSwap == 1) {
        return QStringLiteral("[消しゴムツール](%1)　左ｸﾘｯｸ:消しゴム　右ｸﾘｯｸ:描画　ボタン上で右ｸﾘｯｸ:ブラシ選択").arg(brush);
    }
    return QStringLiteral("[ブラシツール](%1)　左ｸﾘｯｸ:描画　右ｸﾘｯｸ:消しゴム　ボタン上で右ｸﾘｯｸ:ブラシ選択").arg(brush);
}

bool PolygonCornersSet()
{
    return ShapeWindows().PolygonCornerCount() > 2;
}

QString PolygonHint()
{
    const ShapeToolWindows &windows = ShapeWindows();
    if (!PolygonCornersSet()) {
        return QString();
    }
    QString hint = QStringLiteral("[多角形の描画]　") + windows.PolygonCornerText() + QStringLiteral("角形");
    return windows.PolygonValues().Star ? hint + QStringLiteral("(星型)") : hint;
}

QString TextHint()
{
    const ShapeToolWindows &windows = ShapeWindows();
    QString hint = QStringLiteral("[テキストの描画]　");
    QString text = windows.TextWindowText();
    QString font = windows.TextFontName();
    if (text.isEmpty() || font.isEmpty()) {
        return hint;
    }
    hint += QStringLiteral("'") + text + QStringLiteral("' (") + font + QStringLiteral(")");
    return windows.TextValues().ArcLayout ? hint + QStringLiteral(" (円形配置)") : hint;
}

// The polygon and text windows open modal at the pointer; without a usable corner count, text or
// font afterwards the select tool is chosen again.
void OpenShapeWindow(int32_t index)
{
    ShapeToolWindows &windows = ShapeWindows();
    if (index == kToolPolygon) {
        if (!PolygonCornersSet()) {
            windows.SetPolygonCornerText(QStringLiteral("5"));
        }
        windows.OpenPolygonWindow();
        Window().DispShape(0);
        if (!PolygonCornersSet()) {
            Button(kToolSelect)->SetValue(true);
        }
    } else if (index == kToolText) {
        windows.OpenTextWindow();
        if (windows.TextWindowText().isEmpty() || windows.TextFontName().isEmpty()) {
            Button(kToolSelect)->SetValue(true);
        }
    }
}

// The menu item whose count is the current ellipse anchor count, if any.
platform::MenuItem *CurrentEllipseItem()
{
    platform::MenuItem *item = Window().Menus().mnuSelectCircle->Item(BuildEllipseAnchorMenu());
    if (item && item->Tag().toInt() == Input().EllipseAnchorCount) {
        return item;
    }
    return nullptr;
}

// Sees the tool buttons' presses and moves before the buttons do.
class ToolButtonWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QVariant tool = watched->property(kToolIndexProperty);
        if (!HasCanvasWindow() || !tool.isValid()) {
            return false;
        }
        int index = tool.toInt();
        if (event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            return Option1_MouseDown(index, platform::MouseButtonOf(mouse->button()),
                                     platform::ShiftStateOf(mouse->modifiers()));
        }
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            Option1_MouseMove(index);
        }
        return false;
    }

};

void PlaceDisplayChecks(int16_t iconMode)
{
    const PaletteControls window = Window().ToolPaletteControls();
    window.Check1->setGeometry(0, 0, 50, 20);
    if (iconMode == 1) {
        window.Check3->setGeometry(0, 20, 25, 24);
        window.Check4->setGeometry(25, 20, 25, 24);
        window.Check5->setGeometry(0, 44, 25, 24);
        window.Check6->setGeometry(25, 44, 25, 24);
        ShowIcon(window.Check3, 14);
        ShowIcon(window.Check5, 16);
        ShowIcon(window.Check6, 17);
    } else {
        window.Check3->setGeometry(0, 20, 32, 24);
        window.Check4->setGeometry(32, 20, 18, 24);
        window.Check5->setGeometry(0, 44, 30, 24);
        window.Check6->setGeometry(30, 44, 20, 24);
        ShowCaption(window.Check3, QStringLiteral("下絵"));
        ShowCaption(window.Check5, QStringLiteral("Grid"));
        ShowCaption(window.Check6, QStringLiteral("吸"));
    }
    SetToolButtonFace(iconMode, 1);
}

// The panels below the palette follow it: display checks, zoom box, line-width box, style palette.
void StackPanelsBelowPalette()
{
    const PaletteControls window = Window().ToolPaletteControls();
    QWidget *checks = Palette().Picture3;
    QWidget *palette = Palette().Picture2;
    checks->move(checks->x(), palette->y() + palette->height() + 1);
    window.Combo2->move(window.Combo2->x(), checks->geometry().bottom() + 1 + 2);
    window.Combo1->move(window.Combo1->x(), window.Combo2->geometry().bottom() + 1 + 2);
    if (window.PicStatus->parentWidget() == window.Combo1->parentWidget()) {
        window.PicStatus->move(window.PicStatus->x(), window.Combo1->geometry().bottom() + 1 + 2);
    }
}

}  // namespace

void AttachToolPalette()
{
    CanvasView &view = Window();
    const PaletteControls window = view.ToolPaletteControls();
    QWidget *column = window.Option1[0]->parentWidget();
    PaletteWidgets &palette = Palette();
    palette.Picture2 = new QWidget(column);
    palette.Picture2->setGeometry(4, 4, 2 * kIconButton, 154);
    palette.Picture3 = new QWidget(column);
    palette.Picture3->setGeometry(4, 160, 50, 68);
    auto *watcher = new ToolButtonWatcher(palette.Picture2);
    for (int i = 0; i < kToolCount; ++i) {
        Button(i)->setParent(palette.Picture2);
        Button(i)->setProperty(kToolIndexProperty, i);
        Button(i)->installEventFilter(watcher);
        Button(i)->setMouseTracking(true);
        Button(i)->SetGraphical(true);
        Button(i)->show();
    }
    for (platform::CheckBox *check : {window.Check1, window.Check3, window.Check4, window.Check5, window.Check6}) {
        check->setParent(palette.Picture3);
        check->SetGraphical(true);
        check->show();
    }
    palette.Picture2->show();
    palette.Picture3->show();
    QObject::connect(view.Menus().mnuSelectCircle, &platform::MenuArray::Click, palette.Picture2, [](int index) {
        platform::MenuItem *item = Window().Menus().mnuSelectCircle->Item(index);
        Input().EllipseAnchorCount = std::max(8, item ? item->Tag().toInt() : 8);
    });
    QObject::connect(view.Menus().mnuRectMode, &platform::MenuArray::Click, palette.Picture2,
                     [](int index) { Input().RectangleKind = index; });
    ChangeIcons(Window().Options().UseToolIcons);
}

QWidget *ToolButtonPanel()
{
    return Palette().Picture2;
}

QWidget *DisplayCheckPanel()
{
    return Palette().Picture3;
}

void SetToolCursor(int32_t id)
{
    platform::PictureBox *picture = &Window().Picture();
    int image = id >= 0 && id < kToolCount ? kToolCursorImage[static_cast<size_t>(id)] : 0;
    if (Window().Options().NotChangeCursor == 1 || image == 0) {
        picture->setCursor(Qt::ArrowCursor);
    } else {
        picture->setCursor(ImgCursor(image));
    }
}

QString GetToolDescription(int32_t id)
{
    switch (id) {
    case kToolFreehand:
        return QStringLiteral("[自由曲線の描画]　") + OptimisationHint();
    case kToolPen:
        return (Input().PenCurveMode == 1 ? QStringLiteral("[曲線の描画](右クリックで直線)　")
                                          : QStringLiteral("[直線の描画](右クリックで曲線)　")) +
               OptimisationHint();
    case kToolAnchorEdit:
        return QStringLiteral("[パスの変形]") +
               (Window().Options().NotAnchorSelect == 1
                    ? QStringLiteral("　SHIFT：エッジを直線にする　CTRL：エッジを曲線にする")
                    : QStringLiteral("　SHIFT：エッジの直線／曲線を切り替える　CTRL：アンカーの複数選択"));
    case kToolSelect:
        return QStringLiteral("[パスの選択]　SHIFT:制御点ﾄﾞﾗｯｸﾞで回転　CTRL:複数選択　右ﾎﾞﾀﾝで中心に対する操作");
    case kToolGradient:
        return QStringLiteral("[グラデーションの変形]");
    case kToolRectangle:
        return RectangleHint();
    case kToolEllipse:
        Input().EllipseAnchorCount = std::max(Input().EllipseAnchorCount, 8);
        return QStringLiteral("[楕円の描画]　ｱﾝｶｰ%1個　ﾎﾞﾀﾝ上で右ｸﾘｯｸ：ｱﾝｶｰ数選択").arg(Input().EllipseAnchorCount);
    case kToolPolygon:
        return PolygonHint();
    case kToolText:
        return TextHint();
    case kToolBucket:
        return BucketHint();
    case kToolBrush:
        return BrushHint();
    default:
        return QString();
    }
}

void Option1_Click(int32_t index)
{
    CanvasInputState &input = Input();
    core::Document &doc = Doc();
    if (input.CurrentTool == kToolPen) {
        EndPenPath();
    }
    doc.HitPath = doc.HitAnchor = doc.HitPath2 = doc.HitAnchor2 = 0;
    input.DragArmed = false;
    input.DragChanged = false;
    doc.SelectedAnchors.assign(1, core::AnchorRef());
    core::DeselectAllPaths();
    CalcSelectedRect();
    Window().DispShape(0);
    core::GetHost().RefreshList();
    if (index == input.CurrentTool && index == kToolPen) {
        input.PenCurveMode = static_cast<int16_t>(1 - input.PenCurveMode);
        SetToolButtonFace(Window().Options().UseToolIcons, 2);
    } else if (index == input.CurrentTool && index == kToolBrush) {
        input.BrushEraseSwap = static_cast<int16_t>(1 - input.BrushEraseSwap);
        SetToolButtonFace(Window().Options().UseToolIcons, 3);
    }
    input.DragMode = 0;
    input.CurrentTool = static_cast<int16_t>(index);
    core::GetHost().RefreshPosition();
    core::GetHost().RefreshGradient();
    OpenShapeWindow(index);
    // The shape windows may have chosen the select tool again.
    SetToolCursor(input.CurrentTool);
}

bool Option1_MouseDown(int32_t index, int button, int shift)
{
    CanvasInputState &input = Input();
    CanvasView &window = Window();
    bool usedUp = false;
    if (index == kToolPen && input.CurrentTool == kToolPen) {
        Option1_Click(kToolPen);
        usedUp = true;
    }
    if (index == kToolEllipse) {
        if (shift > 0 || input.EllipseAnchorCount == 0) {
            input.EllipseAnchorCount = shift * 8 + 8;
        }
        if (button == platform::kRightButton) {
            platform::MenuItem *current = CurrentEllipseItem();
            platform::PopupMenu(window.Menus().mnuCircle, current);
        }
    }
    if (index == kToolRectangle && button == platform::kRightButton) {
        platform::PopupMenu(window.Menus().mnuRectangle, window.Menus().mnuRectMode->Item(input.RectangleKind));
    }
    if (index == kToolBrush) {
        if (button == platform::kRightButton) {
            platform::PopupMenu(window.Menus().mnuBrush, window.Menus().mnuSelectBrush->Item(core::Brushes().CurrentBrush - 1));
            return true;
        }
        if (input.CurrentTool == kToolBrush) {
            Option1_Click(kToolBrush);
            usedUp = true;
        }
    }
    window.Picture().setFocus();
    return usedUp;
}

void Option1_MouseMove(int32_t index)
{
    QString hint = GetToolDescription(index);
    if (!hint.isEmpty()) {
        SetStatusText(hint);
        Button(index)->setToolTip(hint);
    }
}

void ChangeIcons(int16_t iconMode)
{
    for (int i = 0; i < kToolCount; ++i) {
        platform::OptionButton *button = Button(i);
        if (iconMode == 1) {
            int column = kIconCells[2 * i] - '0';
            int row = kIconCells[2 * i + 1] - '0';
            int width = i == kToolSelect ? 2 * kIconButton : kIconButton;
            button->setGeometry(kIconButton * column, kIconButton * row, width, kIconButton);
            if (i != kToolPen && i != kToolBrush) {
                ShowIcon(button, i);
            }
        } else {
            int row = QString(QLatin1Char(kTextRows[i])).toInt(nullptr, 16);
            button->setGeometry(0, kTextButtonHeight * row, kTextButtonWidth, kTextButtonHeight);
            if (i != kToolPen && i != kToolBrush) {
                ShowCaption(button, QString::fromUtf8(kTextCaptions[i]));
            }
        }
    }
    SetToolButtonFace(iconMode, 2);
    SetToolButtonFace(iconMode, 3);
    Palette().Picture2->resize(Palette().Picture2->width(), iconMode == 1 ? 154 : 191);
    PlaceDisplayChecks(iconMode);
    StackPanelsBelowPalette();
}

void SetToolButtonFace(int16_t iconMode, int16_t which)
{
    const PaletteControls window = Window().ToolPaletteControls();
    const CanvasInputState &input = Input();
    bool icons = iconMode == 1;
    switch (which) {
    case 1:
        if (icons) {
            ShowIcon(window.Check4, window.Check4->Value() == 1 ? 18 : 15);
        } else {
            ShowCaption(window.Check4, QStringLiteral("前"));
        }
        break;
    case 2:
        if (icons) {
            ShowIcon(Button(kToolPen), input.PenCurveMode == 1 ? 11 : 6);
        } else {
            ShowCaption(Button(kToolPen), input.PenCurveMode == 1 ? QStringLiteral("～") : QStringLiteral("＼"));
        }
        break;
    case 3:
        if (icons) {
            ShowIcon(Button(kToolBrush), input.BrushEraseSwap == 1 ? 12 : 10);
        } else {
            ShowCaption(Button(kToolBrush),
                        input.BrushEraseSwap == 1 ? QStringLiteral("消しｺﾞﾑ") : QStringLiteral("ブラシ"));
        }
        break;
    default:
        break;
    }
}

int32_t BuildEllipseAnchorMenu()
{
    CanvasInputState &input = Input();
    if (input.EllipseAnchorCount == 0) {
        input.EllipseAnchorCount = 8;
    }
    platform::MenuArray *items = Window().Menus().mnuSelectCircle;
    items->UnloadAboveFirst();
    int32_t current = 0;
    for (int d = 0; d <= 7; ++d) {
        int count = 8 * d + 8;
        platform::MenuItem *item = items->Load(d);
        item->SetCaption(QStringLiteral("&%1　%2アンカー").arg(d + 1).arg(count));
        item->SetTag(QString::number(count));
        if (count == input.EllipseAnchorCount) {
            current = d;
        }
    }
    return current;
}

}  // namespace canvastools
