#include "toolwindows/polygon_window.h"

#include "platform/base/rounding.h"
#include "platform/forms/controls.h"
#include "platform/forms/picture_box.h"
#include "toolwindows/dialog_support.h"

#include <QGroupBox>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace toolwindows {
namespace {

constexpr int32_t kPreviewRadius = 50;
constexpr int32_t kPreviewSize = 121;
constexpr int kStarBit = 1;
constexpr int kRoundInnerBit = 2;
constexpr int kRoundOuterBit = 4;
constexpr int32_t kSpinMinimumCorners = 3;  // the spin's lower arrow stops at a triangle

QPoint Midpoint(QPoint a, QPoint b)
{
    return QPoint((a.x() + b.x()) / 2, (a.y() + b.y()) / 2);
}

// The corner's point at step t (0 and 1 outer corners, 0.5 and 1.5 inner ones).
QPoint CornerPoint(int32_t i, double t, int32_t n, double innerFactor, int32_t cx, int32_t cy)
{
    double a = (i + t) * 360.0 / n * std::numbers::pi / 180.0;
    double f = (t == 0.0 || t == 1.0) ? 1.0 : innerFactor;
    return QPoint(platform::RoundToInt32(cx + kPreviewRadius * std::sin(a) * f),
                  platform::RoundToInt32(cy - kPreviewRadius * std::cos(a) * f));
}

void CubicFromMidpoints(QPainterPath &path, QPoint from, QPoint corner, QPoint to)
{
    path.moveTo(from);
    path.cubicTo(Midpoint(from, corner), Midpoint(corner, to), to);
}

}  // namespace

QPainterPath PolygonPreviewPath(int32_t n, int32_t mode, int32_t depth, int32_t cx, int32_t cy)
{
    QPainterPath path;
    if (n < 1) {
        return path;
    }
    double innerFactor = (100 - depth) / 100.0;
    for (int32_t i = 0; i < n; ++i) {
        QPoint outer = CornerPoint(i, 0.0, n, innerFactor, cx, cy);
        QPoint inner = CornerPoint(i, 0.5, n, innerFactor, cx, cy);
        QPoint next = CornerPoint(i, 1.0, n, innerFactor, cx, cy);
        QPoint nextInner = CornerPoint(i, 1.5, n, innerFactor, cx, cy);
        if (!(mode & kStarBit)) {
            path.moveTo(outer);
            path.lineTo(next);
            continue;
        }
        QPoint edgeIn = Midpoint(outer, inner);        // middle of the edge into the inner corner
        QPoint edgeOut = Midpoint(inner, next);        // middle of the edge out of it
        QPoint nextEdgeIn = Midpoint(next, nextInner);  // the next corner's first edge middle
        if (mode & kRoundOuterBit) {
            // From the middle of one edge to the middle of the next, around each corner.
            if (mode & kRoundInnerBit) {
                CubicFromMidpoints(path, edgeIn, inner, edgeOut);
            } else {
                path.moveTo(edgeIn);
                path.lineTo(inner);
                path.lineTo(edgeOut);
            }
            CubicFromMidpoints(path, edgeOut, next, nextEdgeIn);
        } else if (mode & kRoundInnerBit) {
            CubicFromMidpoints(path, outer, inner, next);
        } else {
            path.moveTo(outer);
            path.lineTo(inner);
            path.lineTo(next);
        }
    }
    return path;
}

PolygonGUI::PolygonGUI(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("多角形の描画"));
    BuildControls();
    ConnectHandlers();
    setFixedSize(sizeHint().expandedTo(QSize(300, 190)));
}

void PolygonGUI::BuildControls()
{
    auto *label1 = new QLabel(QStringLiteral("角の数"), this);
    label1->setGeometry(8, 10, 50, 20);
    Text1 = new platform::TextBox(this);
    Text1->setGeometry(60, 8, 48, 22);
    Text1->SetText(QStringLiteral("5"));
    VScroll1 = new platform::ScrollBar(Qt::Vertical, this);
    VScroll1->setGeometry(108, 8, 16, 22);
    VScroll1->SetMin(-1);
    VScroll1->SetMax(1);
    VScroll1->SetValue(0);

    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(8, 40, 150, 110);
    Check1 = new platform::CheckBox(QStringLiteral("星型にする"), this);
    Check1->setGeometry(16, 36, 120, 20);
    Check1->SetValue(1);
    auto *depthLabel = new QLabel(QStringLiteral("深さ"), Frame1);
    depthLabel->setGeometry(8, 22, 40, 18);
    Label2 = new platform::Label(QStringLiteral("50%"), Frame1);
    Label2->setGeometry(100, 22, 44, 18);
    HScroll1 = new platform::ScrollBar(Qt::Horizontal, Frame1);
    HScroll1->setGeometry(8, 42, 134, 16);
    HScroll1->SetMin(0);
    HScroll1->SetMax(100);
    HScroll1->SetValue(50);
    HScroll1->SetLargeChange(10);
    Check2 = new platform::CheckBox(QStringLiteral("内側を丸める"), Frame1);
    Check2->setGeometry(8, 64, 134, 18);
    Check3 = new platform::CheckBox(QStringLiteral("外側を丸める"), Frame1);
    Check3->setGeometry(8, 86, 134, 18);
    Check1->raise();

    Picture1 = new platform::PictureBox(this);
    Picture1->setGeometry(168, 8, kPreviewSize, kPreviewSize);
    Picture1->SetBackColor(0xFFFFFF);
    Picture1->SetDrawMode(platform::kDrawCopyPen);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setGeometry(120, 158, 80, 24);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command2->setGeometry(208, 158, 80, 24);
}

void PolygonGUI::ConnectHandlers()
{
    connect(Check1, &platform::CheckBox::Click, this, &PolygonGUI::Check1_Click);
    connect(Check2, &platform::CheckBox::Click, this, &PolygonGUI::DrawPolygonPreview);
    connect(Check3, &platform::CheckBox::Click, this, &PolygonGUI::DrawPolygonPreview);
    connect(Text1, &platform::TextBox::Change, this, &PolygonGUI::DrawPolygonPreview);
    connect(HScroll1, &platform::ScrollBar::Change, this, &PolygonGUI::HScroll1_Change);
    connect(HScroll1, &platform::ScrollBar::Scroll, this, &PolygonGUI::HScroll1_Change);
    connect(VScroll1, &platform::ScrollBar::Change, this, &PolygonGUI::VScroll1_Change);
    connect(Command1, &QPushButton::clicked, this, &PolygonGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PolygonGUI::Command2_Click);
    DrawPolygonPreview();
}

double PolygonGUI::CornerCount() const
{
    return TypedNumber(Text1->Text(), -core::kMaxPolygonVertices, core::kMaxPolygonVertices);
}

core::PolygonToolValues PolygonGUI::Values() const
{
    core::PolygonToolValues values;
    values.VertexCount = std::clamp<double>(CornerCount(), core::kMinPolygonVertices, core::kMaxPolygonVertices);
    values.Star = Check1->Value() == 1;
    values.RoundInner = Check2->Value() == 1;
    values.RoundOuter = Check3->Value() == 1;
    values.Depth = HScroll1->Value();
    return values;
}

void PolygonGUI::Check1_Click()
{
    if (Check1->Value() == 1) {
        Frame1->show();
    } else {
        Check2->SetValue(0);
        Check3->SetValue(0);
        Frame1->hide();
    }
    DrawPolygonPreview();
}

void PolygonGUI::HScroll1_Change()
{
    Label2->setText(QString::number(HScroll1->Value()) + QStringLiteral("%"));
    DrawPolygonPreview();
}

// The spin rests at 0: its lower arrow (1) takes one corner away, never below 3, its upper
// arrow (-1) adds one.
void PolygonGUI::VScroll1_Change()
{
    int16_t step = VScroll1->Value();
    if (step == 0) {
        return;
    }
    auto n = static_cast<int32_t>(std::trunc(CornerCount()));
    n = step > 0 ? std::max(n - 1, kSpinMinimumCorners) : std::min(n + 1, core::kMaxPolygonVertices);
    Text1->SetText(QString::number(n));
    VScroll1->SetValue(0);
}

void PolygonGUI::Command1_Click()
{
    done(QDialog::Accepted);
}

void PolygonGUI::Command2_Click()
{
    Text1->SetText(QString());
    done(QDialog::Rejected);
}

void PolygonGUI::DrawPolygonPreview()
{
    Picture1->Cls();
    int32_t n = platform::RoundToInt32(CornerCount());
    int32_t mode = Check1->Value() + 2 * Check2->Value() + 4 * Check3->Value();
    QPainterPath outline =
        PolygonPreviewPath(n, mode, HScroll1->Value(), Picture1->ScaleWidth() / 2, Picture1->ScaleHeight() / 2);
    QPainter painter(&Picture1->Image());
    painter.setPen(Qt::black);
    painter.drawPath(outline);
    painter.end();
    Picture1->Refresh();
}

}  // namespace toolwindows
