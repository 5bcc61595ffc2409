#include "mainwindow/color_picker.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/status_line.h"
#include "core/path_attributes.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/user_color_file.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "platform/forms/message_box.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mainwindow {
namespace {

using canvastools::Input;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr int kPickerWidth = kPickerColumns * kPickerCellWidth + 1;     // 337
constexpr int kPickerHeight = kPickerRows * kPickerCellHeight + 1;      // 67
constexpr int kUserColumnsLeft = kPickerPaletteColumns * kPickerCellWidth;  // 288
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;

const UserColorRow kWhiteRow{kWhite, kWhite, kWhite, kWhite, kWhite, kWhite};

uint32_t PaletteColor(int column, int row)
{
    uint32_t red = 255 - 51 * static_cast<uint32_t>(column / 6);
    uint32_t green = 255 - 51 * static_cast<uint32_t>(row);
    uint32_t blue = 255 - 51 * static_cast<uint32_t>(column % 6);
    return red | (green << 8) | (blue << 16);
}

QImage BuildPickerPicture()
{
    QImage image(kPickerWidth, kPickerHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (int column = 0; column < kPickerColumns; ++column) {
        for (int row = 0; row < kPickerRows; ++row) {
            uint32_t colour = column < kPickerPaletteColumns ? PaletteColor(column, row) : kWhite;
            painter.fillRect(column * kPickerCellWidth + 1, row * kPickerCellHeight + 1, kPickerCellWidth - 1,
                             kPickerCellHeight - 1, platform::ColorFromBgr(colour));
        }
    }
    return image;
}

int32_t HexPair(const QString &pair)
{
    return static_cast<int32_t>(platform::Val("&H" + pair.toStdString())) & 0xFF;
}

int ChannelOf(uint32_t colour, int index)
{
    return static_cast<int>((colour >> (8 * index)) & 0xFF);
}

GradientColorTarget *&GradientTargetSlot()
{
    static GradientColorTarget *target = nullptr;
    return target;
}

}  // namespace

const QImage &PickerPicture()
{
    static const QImage picture = BuildPickerPicture();
    return picture;
}

QString HexColorText(uint32_t colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(ChannelOf(colour, 0), 2, 16, QLatin1Char('0'))
        .arg(ChannelOf(colour, 1), 2, 16, QLatin1Char('0'))
        .arg(ChannelOf(colour, 2), 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool ParseHexColor(const QString &text, uint32_t &colour)
{
    QString digits;
    if (text.size() == 7 && text.startsWith(QLatin1Char('#'))) {
        digits = text.mid(1);
    } else if (text.size() == 6) {
        digits = text;
    } else {
        return false;
    }
    colour = 0;
    for (int i = 0; i < 3; ++i) {
        colour |= static_cast<uint32_t>(HexPair(digits.mid(2 * i, 2))) << (8 * i);
    }
    return true;
}

int32_t UserColorSetCount(const UserColorTable &table)
{
    return static_cast<int32_t>(table.size() / kPickerRows);
}

void SetGradientColorTarget(GradientColorTarget *target)
{
    GradientTargetSlot() = target;
}

GradientColorTarget *GetGradientColorTarget()
{
    return GradientTargetSlot();
}

// ---- painting and picking ----

void DrawGUI::PicPicker_Paint()
{
    const MainState &state = Main();
    PicPicker->SetDrawMode(platform::kDrawCopyPen);
    PicPicker->SetDrawWidth(1);
    PicPicker->Cls();
    {
        QPainter painter(&PicPicker->Image());
        painter.drawImage(0, 0, PickerPicture());
    }
    for (int j = 0; j < 6; ++j) {
        for (int i = 0; i < kPickerRows; ++i) {
            size_t row = static_cast<size_t>(state.UserColorTop) + static_cast<size_t>(i);
            if (state.UserColorTop < 0 || row >= state.UserColors.size()) {
                continue;
            }
            int x = kUserColumnsLeft + 1 + kPickerCellWidth * j;
            int y = 1 + kPickerCellHeight * i;
            PicPicker->Box(x, y, x + 6, y + 9, state.UserColors[row][static_cast<size_t>(j)] & kWhite, true);
        }
    }
    if (state.UserColorCol >= 0) {
        int x = kUserColumnsLeft + kPickerCellWidth * state.UserColorCol;
        int y = kPickerCellHeight * state.UserColorRow;
        PicPicker->Box(x, y, x + kPickerCellWidth, y + kPickerCellHeight, kRed, false);
    }
    PicPicker->Refresh();
    int16_t lastSet = platform::SaturateInt<int16_t>(UserColorSetCount(state.UserColors) - 1);
    VScroll2->SetMax(std::max<int16_t>(lastSet, 0));
    VScroll2->setEnabled(VScroll2->Max() != 0);
}

void DrawGUI::PicPicker_MouseDown(int button, int shift, float x, float y)
{
    // Only the grid takes clicks; the right and bottom grid lines (336, 66) do not.
    if (!(x >= 0 && y >= 0 && x < 336 && y < 66)) {
        return;
    }
    MainState &state = Main();
    state.UserColorCol = -1;
    PicPicker_Paint();
    // A click on a grid line samples the cell to its right or below it; past the last line the
    // last cell is taken. The pixel is read where the rounded, adjusted position lies, so a
    // fractional position next to a line never reads the line or the frame drawn on it.
    int64_t px = static_cast<int64_t>(platform::RoundHalfEven(x));
    int64_t py = static_cast<int64_t>(platform::RoundHalfEven(y));
    if (px % kPickerCellWidth == 0) {
        px += 1;
    }
    if (py % kPickerCellHeight == 0) {
        py += 1;
    }
    int column = static_cast<int>(px / kPickerCellWidth);
    int row = static_cast<int>(py / kPickerCellHeight);
    if (column >= kPickerColumns) {
        column = kPickerColumns - 1;
        px = column * kPickerCellWidth + 4;
    }
    if (row >= kPickerRows) {
        row = kPickerRows - 1;
        py = row * kPickerCellHeight + 5;
    }
    PicPicker->Box(kPickerCellWidth * column, kPickerCellHeight * row, kPickerCellWidth * (column + 1),
                   kPickerCellHeight * (row + 1), kRed, false);
    uint32_t colour = static_cast<uint32_t>(PicPicker->Point(static_cast<int>(px), static_cast<int>(py)) & kWhite);

    int target = -1;
    if (button == platform::kLeftButton && shift == 0) {
        target = 0;
    } else if (button == platform::kRightButton && shift == 0) {
        target = 1;
    } else if (button == platform::kRightButton && shift == kShiftMask) {
        target = 2;
    }
    if (target >= 0) {
        core::Color &current = Input().CurrentColors[static_cast<size_t>(target)];
        current = (current & 0xFF000000u) | colour;
        PicColor_Paint();
        std::array<bool, 3> which{};
        which[static_cast<size_t>(target)] = true;
        ApplyCurrentColors(which);
    }

    PicUserColor->SetDrawMode(platform::kDrawCopyPen);
    PicUserColor->Box(0, 0, 21, 43, colour, true);
    PicUserColor->Refresh();
    if (column < kPickerPaletteColumns) {
        Frame1->setTitle(QStringLiteral("色情報"));
        state.UserColorCol = -1;
        for (size_t i = 0; i < 3; ++i) {
            HScroll2[i]->setEnabled(false);
            Text1[i]->setEnabled(false);
            Text1[i]->SetText(QString::number(ChannelOf(colour, static_cast<int>(i))));
        }
    } else {
        ChooseUserCell(column - kPickerPaletteColumns, row);
        SetColorSliders(colour);
    }
    state.PickerDragging = true;
    state.PickerDragColor = colour;
    GradientColorTarget *gradient = GetGradientColorTarget();
    if (shift == kCtrlMask && gradient && gradient->IsVisible()) {
        gradient->GetFromColorPicker(colour);
    }
    Picture1->setFocus();
}

void DrawGUI::ChooseUserCell(int32_t column, int32_t row)
{
    Frame1->setTitle(QStringLiteral("色情報（ユーザー）"));
    Main().UserColorCol = column;
    Main().UserColorRow = row;
    for (size_t i = 0; i < 3; ++i) {
        HScroll2[i]->setEnabled(true);
        Text1[i]->setEnabled(true);
    }
}

void DrawGUI::PicPicker_MouseMove(int /*button*/, int /*shift*/, float /*x*/, float /*y*/)
{
    canvastools::SetStatusText(QStringLiteral(
        "[ｶﾗｰﾋﾟｯｶｰ]　左ｸﾘｯｸ:線色　右ｸﾘｯｸ:塗潰色　Shift+右ｸﾘｯｸ:ｸﾞﾗﾃﾞ色　Ctrl+ｸﾘｯｸ:色を選択"));
    PicPicker->setCursor(Main().PickerDragging ? Qt::DragCopyCursor : Qt::ArrowCursor);
}

void DrawGUI::PicPicker_MouseUp(int /*button*/, int /*shift*/, float x, float y)
{
    MainState &state = Main();
    if (state.PickerDragging) {
        double column = std::floor(x / kPickerCellWidth);
        double row = std::floor(y / kPickerCellHeight);
        if (column >= kPickerPaletteColumns && column < kPickerColumns && row >= 0 && row < kPickerRows) {
            ChooseUserCell(static_cast<int32_t>(column) - kPickerPaletteColumns, static_cast<int32_t>(row));
            for (size_t i = 0; i < 3; ++i) {
                HScroll2[i]->SetValue(ChannelOf(state.PickerDragColor, static_cast<int>(i)));
                HScroll2_Change(static_cast<int>(i));
            }
        }
    }
    state.PickerDragging = false;
    PicPicker->setCursor(Qt::ArrowCursor);
}

// ---- the chosen and the last picked colour ----

void DrawGUI::PicUserColor_MouseDown(int /*button*/, int /*shift*/, float x, float y)
{
    int64_t pixel = PicUserColor->Point(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    if (pixel < 0) {
        return;
    }
    uint32_t colour = static_cast<uint32_t>(pixel);
    if (y >= 22) {
        // First a value that surely differs, so that the change runs even for an equal colour.
        HScroll2[0]->SetValue(255 - ChannelOf(colour, 0));
        SetColorSliders(colour);
        return;
    }
    Text3->SetText(HexColorText(colour));
    Text3->selectAll();
    Text3->show();
    Text3->setFocus();
}

void DrawGUI::Text3_KeyPress(int keyAscii)
{
    if (keyAscii != 13 && keyAscii != 27) {
        return;
    }
    uint32_t colour = 0;
    if (keyAscii == 13 && ParseHexColor(Text3->Text(), colour)) {
        SetColorSliders(colour);
    }
    Text3->hide();
    Picture1->setFocus();
}

// ---- the user colour sets ----

void DrawGUI::VScroll2_Change()
{
    Main().UserColorTop = VScroll2->Value() * kPickerRows;
    PicPicker_Paint();
}

void DrawGUI::InsertUserColorSet(int mode)
{
    UserColorTable &table = Main().UserColors;
    if (UserColorSetCount(table) >= kMaxUserColorSets) {
        return;
    }
    size_t top = static_cast<size_t>(Main().UserColorTop);
    size_t first = table.size();
    table.resize(first + kPickerRows, kWhiteRow);
    PicPicker_Paint();
    for (size_t i = 0; i < kPickerRows; ++i) {
        table[first + i] = (mode == 1 && top + i < first) ? table[top + i] : kWhiteRow;
    }
    VScroll2->SetValue(static_cast<int>(first / kPickerRows));
    PicPicker_Paint();
}

UserColorTable DrawGUI::RemoveUserColorSet()
{
    UserColorTable &table = Main().UserColors;
    size_t top = static_cast<size_t>(std::max(Main().UserColorTop, 0));
    if (UserColorSetCount(table) <= 1 || top + kPickerRows > table.size()) {
        return {};  // the only set stays
    }
    auto begin = table.begin() + static_cast<std::ptrdiff_t>(top);
    UserColorTable buffer(begin, begin + kPickerRows);
    table.erase(begin, begin + kPickerRows);
    PicPicker_Paint();
    return buffer;
}

void DrawGUI::PlaceUserColorSet(const UserColorTable &buffer, int32_t position)
{
    UserColorTable &table = Main().UserColors;
    if (UserColorSetCount(table) >= kMaxUserColorSets) {
        return;
    }
    UserColorTable set(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(buffer.size(), kPickerRows)));
    set.resize(kPickerRows, kWhiteRow);
    int32_t oldRows = static_cast<int32_t>(table.size());
    position = std::clamp(position, 0, oldRows);
    table.insert(table.begin() + position, set.begin(), set.end());
    PicPicker_Paint();
    VScroll2->SetValue(position / kPickerRows);
    PicPicker_Paint();
}

void DrawGUI::MoveUserColorSet(int32_t position)
{
    UserColorTable buffer = RemoveUserColorSet();
    if (!buffer.empty()) {
        PlaceUserColorSet(buffer, position);
    }
}

void DrawGUI::Command1_Click()
{
    const int32_t top = Main().UserColorTop;
    const int32_t lastSet = UserColorSetCount(Main().UserColors) - 1;
    menus.mnuUserColorSet->UnloadAboveFirst();
    menus.mnuUserColorDelete->SetEnabled(false);
    menus.mnuUserColorMove->SetEnabled(false);
    if (lastSet >= 1) {
        for (int32_t k = 2; k <= lastSet + 1; ++k) {
            menus.mnuUserColorSet->Load(k - 1)->SetCaption(QStringLiteral("&%1 セット%1").arg(k));
        }
        menus.mnuUserColorDelete->SetEnabled(true);
        menus.mnuUserColorMove->SetEnabled(true);
        menus.mnuUserColorMoveUp->SetEnabled(top > 0);
        menus.mnuUserColorMoveTop->SetEnabled(top > 0);
        menus.mnuUserColorMoveDown->SetEnabled(top < kPickerRows * lastSet);
        menus.mnuUserColorMoveBottom->SetEnabled(top < kPickerRows * lastSet);
    }
    Input().PopupShown = true;
    platform::PopupMenu(menus.mnuUserColor, menus.mnuUserColorSet->Item(top / kPickerRows));
    Picture1->setFocus();
}

void DrawGUI::mnuUserColorDelete_Click()
{
    if (UserColorSetCount(Main().UserColors) <= 1) {
        return;
    }
    QString prompt = QStringLiteral("現在のカラーセット(%1) を削除しますか？").arg(Main().UserColorTop / kPickerRows + 1);
    if (platform::MsgBox(prompt, platform::kMbYesNo, QStringLiteral("Quillark"), this) != platform::kMbNo) {
        RemoveUserColorSet();
    }
}

void DrawGUI::mnuUserColorMoveUp_Click()
{
    MoveUserColorSet(Main().UserColorTop - kPickerRows);
}

void DrawGUI::mnuUserColorMoveDown_Click()
{
    MoveUserColorSet(Main().UserColorTop + kPickerRows);
}

void DrawGUI::mnuUserColorMoveTop_Click()
{
    MoveUserColorSet(0);
}

void DrawGUI::mnuUserColorMoveBottom_Click()
{
    MoveUserColorSet(static_cast<int32_t>(Main().UserColors.size()) - kPickerRows);
}

void DrawGUI::mnuUserColorSet_Click(int index)
{
    VScroll2->SetValue(index);
}

void DrawGUI::PicPicker_OLEDragDrop(const QStringList &files)
{
    if (files.isEmpty()) {
        return;  // only user-colour files are taken
    }
    UserColorTable dropped;
    LoadUserColorFile(files.first().toStdString(), dropped);
    PlaceUserColorSet(dropped, Main().UserColorTop);
}

}  // namespace mainwindow
