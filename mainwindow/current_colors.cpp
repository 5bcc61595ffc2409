#include "mainwindow/current_colors.h"

#include "canvastools/canvas_input_state.h"
#include "core/path_attributes.h"
#include "mainwindow/draw_gui.h"
#include "movie/canvas_movie.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"

#include <QPalette>

#include <cmath>
#include <utility>

namespace mainwindow {
namespace {

using canvastools::Input;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRgbMask = 0xFFFFFF;

uint32_t Rgb(int32_t red, int32_t green, int32_t blue)
{
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) | (static_cast<uint32_t>(blue) << 16);
}

int32_t Channel(uint32_t colour, int shift)
{
    return static_cast<int32_t>((colour >> shift) & 0xFF);
}

// Mirrors a slider into its text box; an empty box at value 0 stays empty.
void MirrorSlider(const platform::ScrollBar *bar, platform::TextBox *box)
{
    if (!box->Text().isEmpty() || bar->Value() > 0) {
        QString text = QString::number(bar->Value());
        if (box->Text() != text) {
            box->SetText(text);
        }
    }
}

// The chosen user colour's cell in the table, or nullptr when none is chosen.
uint32_t *ChosenUserColorCell()
{
    MainState &state = Main();
    size_t row = static_cast<size_t>(state.UserColorTop) + static_cast<size_t>(state.UserColorRow);
    if (state.UserColorCol < 0 || state.UserColorCol > 5 || state.UserColorRow < 0 || row >= state.UserColors.size()) {
        return nullptr;
    }
    return &state.UserColors[row][static_cast<size_t>(state.UserColorCol)];
}

}  // namespace

void SwatchCorner(int index, int &x, int &y)
{
    x = 13 * index + 2;
    y = index == 2 ? 18 : 13 * index + 2;
}

uint32_t BlendOverBackground(uint32_t colour, int32_t opacity, uint32_t background)
{
    auto blend = [&](int shift) {
        double c = Channel(colour, shift);
        double b = Channel(background, shift);
        return platform::RoundToInt32((c - b) * opacity / 255.0 + b);
    };
    return Rgb(blend(0), blend(8), blend(16));
}

bool NeedsLightText(uint32_t colour)
{
    double luma = 0.299 * Channel(colour, 0) + 0.587 * Channel(colour, 8) + 0.114 * Channel(colour, 16);
    return platform::RoundHalfEven(luma) < 128;
}

int32_t ByteFromText(const QString &text)
{
    double n = platform::RoundHalfEven(platform::Val(text.toStdString()));
    return (n >= 0 && n <= 255) ? static_cast<int32_t>(n) : -1;
}

// ---- the indicator ----

void DrawGUI::PicColor_Paint()
{
    const std::array<core::Color, 3> &colors = Input().CurrentColors;
    PicColor->SetDrawMode(platform::kDrawCopyPen);
    PicColor->SetDrawWidth(1);
    PicColor->Cls();
    for (int i = 2; i >= 0; --i) {
        int x = 0;
        int y = 0;
        SwatchCorner(i, x, y);
        PicColor->Box(x, y, x + 19, y + 19, kWhite, true);
        PicColor->Box(x, y, x + 19, y + 19, 0, false);
        PicColor->Box(x + 2, y + 2, x + 17, y + 17, colors[static_cast<size_t>(i)] & kRgbMask, true);
    }
    int32_t fill[4];
    int32_t grad[4];
    core::SplitColor(colors[1], fill[0], fill[1], fill[2], fill[3]);
    core::SplitColor(colors[2], grad[0], grad[1], grad[2], grad[3]);
    for (int x = 16; x <= 46; ++x) {
        double t = (x - 16) / 30.0;
        int32_t channel[3];
        for (size_t c = 0; c < 3; ++c) {
            channel[c] = platform::RoundToInt32(fill[c] + t * (grad[c] - fill[c]));
        }
        PicColor->Line(x, 40, x, 47, Rgb(channel[0], channel[1], channel[2]));
    }
    PicColor->Box(15, 40, 47, 47, platform::SystemColor(QPalette::ButtonText), false);
    PicColor->Refresh();

    // A slider whose value changes here applies its colour; all of them together are one change.
    opacitySync_ = true;
    opacityChanged_ = {};
    for (size_t i = 0; i < 3; ++i) {
        HScroll3[i]->SetValue(static_cast<int>(colors[i] >> 24));
    }
    opacitySync_ = false;
    PaintColorSwatches();
    if (opacityChanged_[0] || opacityChanged_[1] || opacityChanged_[2]) {
        ApplyCurrentColors(opacityChanged_);
    }
}

void DrawGUI::PaintColorSwatches()
{
    int64_t background = PicColor->Point(0, 0);
    uint32_t back = background < 0 ? 0 : static_cast<uint32_t>(background);
    for (size_t i = 0; i < 3; ++i) {
        core::Color colour = Input().CurrentColors[i];
        uint32_t blended = BlendOverBackground(colour & kRgbMask, static_cast<int32_t>(colour >> 24), back);
        QPalette palette = Label2[i]->palette();
        palette.setColor(QPalette::Window, platform::ColorFromBgr(blended));
        palette.setColor(QPalette::WindowText, NeedsLightText(blended) ? Qt::white : Qt::black);
        Label2[i]->setPalette(palette);
    }
}

void DrawGUI::ApplyCurrentColors(const std::array<bool, 3> &which)
{
    core::SetSelectedColors(Input().CurrentColors, which[0], which[1], which[2]);
    movie::MakeCanvasMovie();
    DispShape(1);
}

void DrawGUI::PicColor_MouseDown(int button, int /*shift*/, float x, float y)
{
    if (button == platform::kLeftButton) {
        ApplyCurrentColors({true, true, true});
    } else if (button == platform::kRightButton && Main().UserColorCol >= 0) {
        int64_t pixel = PicColor->Point(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
        uint32_t *cell = ChosenUserColorCell();
        if (pixel >= 0 && cell) {
            *cell = static_cast<uint32_t>(pixel);
            SetColorSliders(*cell);
        }
    }
    Picture1->setFocus();
}

void DrawGUI::Label3_Click()
{
    std::swap(Input().CurrentColors[0], Input().CurrentColors[1]);
    PicColor_Paint();
}

void DrawGUI::Label4_Click()
{
    core::GetSelectedColors(Input().CurrentColors);
    PicColor_Paint();
}

void DrawGUI::Label5_Click()
{
    std::swap(Input().CurrentColors[1], Input().CurrentColors[2]);
    PicColor_Paint();
}

// ---- opacity ----

void DrawGUI::HScroll3_Change(int index)
{
    size_t i = static_cast<size_t>(index);
    HScroll3_Scroll(index);
    uint32_t opacity = static_cast<uint32_t>(HScroll3[i]->Value()) & 0xFF;
    core::Color &colour = Input().CurrentColors[i];
    colour = (opacity << 24) | (colour & kRgbMask);
    PaintColorSwatches();
    if (opacitySync_) {
        opacityChanged_[i] = true;
        return;
    }
    std::array<bool, 3> which{};
    which[i] = true;
    ApplyCurrentColors(which);
}

void DrawGUI::HScroll3_Scroll(int index)
{
    MirrorSlider(HScroll3[static_cast<size_t>(index)], Text2[static_cast<size_t>(index)]);
}

void DrawGUI::Text2_Change(int index)
{
    int32_t value = ByteFromText(Text2[static_cast<size_t>(index)]->Text());
    if (value >= 0) {
        HScroll3[static_cast<size_t>(index)]->SetValue(value);
    }
}

// ---- red, green and blue of the chosen user colour ----

void DrawGUI::HScroll2_Change(int index)
{
    MirrorSlider(HScroll2[static_cast<size_t>(index)], Text1[static_cast<size_t>(index)]);
    if (Main().UserColorCol < 0) {
        return;
    }
    uint32_t colour = Rgb(HScroll2[0]->Value(), HScroll2[1]->Value(), HScroll2[2]->Value());
    if (uint32_t *cell = ChosenUserColorCell()) {
        *cell = colour;
    }
    PicUserColor->SetDrawMode(platform::kDrawCopyPen);
    PicUserColor->Box(0, 0, 21, 21, colour, true);
    PicUserColor->Refresh();
    PicPicker_Paint();
}

void DrawGUI::Text1_Change(int index)
{
    int32_t value = ByteFromText(Text1[static_cast<size_t>(index)]->Text());
    if (value >= 0) {
        HScroll2[static_cast<size_t>(index)]->SetValue(value);
    }
}

void DrawGUI::SetColorSliders(uint32_t colour)
{
    for (size_t i = 0; i < 3; ++i) {
        HScroll2[i]->SetValue(Channel(colour, 8 * static_cast<int>(i)));
    }
}

}  // namespace mainwindow
