#include "mainwindow/style_palette.h"

#include "canvastools/canvas_input_state.h"
#include "canvastools/status_line.h"
#include "core/path_attributes.h"
#include "mainwindow/draw_gui.h"
#include "movie/canvas_movie.h"
#include "platform/base/rounding.h"

#include <QPainter>
#include <QPalette>

#include <cmath>

namespace mainwindow {
namespace {

using canvastools::Input;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kIconLeft = 19;
constexpr int kIconRight = 39;

uint32_t Grey(double t)
{
    auto v = static_cast<uint32_t>(platform::RoundToInt32(255.0 * (1.0 - t)));
    return v | (v << 8) | (v << 16);
}

PaintStyle CurrentStyle()
{
    return PaintStyle{Input().NewLineMode, Input().NewFillType};
}

// One of the fill-kind icons drawn as vertical grey lines, t of each column given by shade.
template <typename Shade>
void DrawShadedIcon(platform::PictureBox *box, int top, Shade shade)
{
    for (int x = 20; x <= 38; ++x) {
        box->Line(x, top, x, top + 16, Grey(shade(x)));
    }
}

void DrawRadialIcon(platform::PictureBox *box)
{
    box->Box(kIconLeft, 132, kIconRight, 148, 0, true);
    QPainter painter(&box->Image());
    painter.setPen(Qt::NoPen);
    for (int r = 40; r >= 1; --r) {
        float t = static_cast<float>(r - 1) / 40.0f;
        painter.setBrush(platform::ColorFromBgr(Grey(t)));
        double radius = 8.5 * t;
        painter.drawEllipse(QPointF(29.5, 140.5), radius, radius);
    }
}

}  // namespace

int PaintModeIndex(const PaintStyle &style)
{
    int hasFill = style.fillType > 0 ? 1 : (style.fillType < 0 ? -1 : 0);
    return hasFill * 2 + style.lineMode - 1;
}

std::optional<PaintStyle> StyleChosenAt(double y, const PaintStyle &current)
{
    PaintStyle style = current;
    if (y < 48) {
        double row = std::floor((y - 4) / 16);
        if (row == 0) {
            return PaintStyle{1, 0};
        }
        if (row == 1 || row == 2) {
            style.lineMode = row == 1 ? 0 : 1;
            if (style.fillType == 0) {
                style.fillType = 1;
            }
            return style;
        }
        return std::nullopt;
    }
    if (y > 57 && y < 150) {
        style.fillType = static_cast<int16_t>(platform::RoundHalfEven((y - 68) / 24 + 1));
        return style;
    }
    return std::nullopt;
}

QString StyleDescription(const PaintStyle &style)
{
    static const char *const kModes[] = {"線のみ", "塗りのみ", "線と塗り"};
    static const char *const kFills[] = {"ベタ塗り", "線形グラデ1", "線形グラデ2", "円形グラデ"};
    int mode = PaintModeIndex(style);
    QString text = QStringLiteral("[スタイルパレット] <");
    if (mode >= 0 && mode <= 2) {
        text += QString::fromUtf8(kModes[mode]);
    }
    text += QLatin1Char('>');
    if (style.fillType >= 1 && style.fillType <= 4) {
        text += QStringLiteral(":<") + QString::fromUtf8(kFills[style.fillType - 1]) + QLatin1Char('>');
    }
    return text;
}

void DrawGUI::PicStatus_Paint()
{
    const PaintStyle style = CurrentStyle();
    const uint32_t highlight = platform::SystemColor(QPalette::Highlight);
    const uint32_t buttonText = platform::SystemColor(QPalette::ButtonText);
    const uint32_t buttonShadow = platform::SystemColor(QPalette::Dark);
    const int mode = PaintModeIndex(style);
    PicStatus->SetDrawMode(platform::kDrawCopyPen);
    PicStatus->SetDrawWidth(1);
    PicStatus->Cls();
    if (mode >= 0) {
        PicStatus->Box(0, 16 * mode + 1, 44, 16 * mode + 16, highlight, true);
    }
    if (style.fillType > 0) {
        int k = style.fillType;
        PicStatus->Box(0, 24 * (k - 1) + 57, 44, 24 * (k - 1) + 78, highlight, true);
    }

    PicStatus->SetDrawWidth(2);
    PicStatus->SetDrawMode(mode == 0 ? platform::kDrawInvert : platform::kDrawCopyPen);
    PicStatus->Box(6, 4, 39, 14, buttonText, false);
    PicStatus->SetDrawMode(platform::kDrawCopyPen);
    PicStatus->Box(7, 21, 38, 29, buttonShadow, true);
    PicStatus->Box(8, 38, 37, 44, buttonShadow, true);
    PicStatus->SetDrawMode(mode == 2 ? platform::kDrawInvert : platform::kDrawCopyPen);
    PicStatus->Box(6, 36, 39, 46, buttonText, false);
    PicStatus->SetDrawMode(platform::kDrawCopyPen);

    PicStatus->SetDrawWidth(1);
    PicStatus->Box(kIconLeft, 60, kIconRight, 76, kWhite, true);
    DrawShadedIcon(PicStatus, 84, [](int x) { return static_cast<float>(x - 20) / 18.0f; });
    DrawShadedIcon(PicStatus, 108, [](int x) { return 1.0f - static_cast<float>(std::abs(x - 29)) / 9.0f; });
    DrawRadialIcon(PicStatus);
    for (int top : {60, 84, 108, 132}) {
        PicStatus->Box(kIconLeft, top, kIconRight, top + 16, buttonText, false);
    }
    PicStatus->Refresh();
}

void DrawGUI::PicStatus_MouseDown(int button, int /*shift*/, float /*x*/, float y)
{
    if (button != platform::kLeftButton) {
        return;
    }
    std::optional<PaintStyle> chosen = StyleChosenAt(y, CurrentStyle());
    if (chosen) {
        Input().NewLineMode = chosen->lineMode;
        Input().NewFillType = chosen->fillType;
    }
    PicStatus_Paint();
    if (chosen) {
        core::SetSelectedPaintModes(chosen->lineMode, chosen->fillType);
        movie::MakeCanvasMovie();
        DispShape(1);
    }
    Picture1->setFocus();
}

void DrawGUI::PicStatus_MouseMove()
{
    QString text = StyleDescription(CurrentStyle());
    canvastools::SetStatusText(text);
    PicStatus->setToolTip(text);
}

}  // namespace mainwindow
