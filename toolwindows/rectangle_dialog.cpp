#include "toolwindows/rectangle_dialog.h"

#include "platform/base/number_text.h"
#include "platform/forms/controls.h"
#include "platform/forms/modal_dialog.h"
#include "toolwindows/dialog_support.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace toolwindows {
namespace {

constexpr float kDefaultCornerPixels = 20.0f;
constexpr float kMaxFraction = 0.5f;
constexpr double kMaxPercent = 100.0;
const std::array<const char *, 4> kStyleCaptions = {"角丸の半径", "凹丸の半径", "凹角の深さ", "ﾍﾞﾍﾞﾙの深さ"};

QString NumberText(double value)
{
    return QString::fromStdString(platform::FormatNumber(value));
}

// The shortest text of a single-precision value ("50", "0.6").
QString NumberText(float value)
{
    return NumberText(platform::Val(platform::FormatSingle(value)));
}

}  // namespace

RectangleGUI::RectangleGUI(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("矩形の設定"));
    setModal(true);
    Label1 = new QLabel(QString::fromUtf8(kStyleCaptions[0]), this);
    Label1->setGeometry(8, 12, 90, 20);
    Text1 = new platform::TextBox(this);
    Text1->setGeometry(100, 10, 60, 22);
    VScroll1 = new platform::ScrollBar(Qt::Vertical, this);
    VScroll1->setGeometry(160, 10, 16, 22);
    VScroll1->SetMin(-1);
    VScroll1->SetMax(1);
    VScroll1->SetValue(0);
    Combo1 = new platform::ComboBox(this);
    Combo1->setEditable(false);
    Combo1->addItems({QStringLiteral("ﾋﾟｸｾﾙ"), QStringLiteral("％")});
    Combo1->setGeometry(182, 10, 70, 22);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setGeometry(90, 44, 80, 24);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Command2->setGeometry(174, 44, 80, 24);
    setFixedSize(262, 76);
    connect(VScroll1, &platform::ScrollBar::Change, this, &RectangleGUI::VScroll1_Change);
    connect(Command1, &QPushButton::clicked, this, &RectangleGUI::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &RectangleGUI::Command2_Click);
}

// The upper arrow (-1) adds one, the lower (1) takes one away; the result stays within 0 and,
// in percent, 100.
void RectangleGUI::VScroll1_Change()
{
    int16_t step = VScroll1->Value();
    if (step == 0) {
        return;
    }
    double max = Combo1->currentIndex() == kUnitPercent ? kMaxPercent : kMaxCornerPixels;
    double value = TypedNumber(Text1->Text(), 0.0, max) - step;
    Text1->SetText(NumberText(std::clamp(value, 0.0, max)));
    VScroll1->SetValue(0);
}

void RectangleGUI::Command1_Click()
{
    done(QDialog::Accepted);
}

// Cancel discards the dialog's values, as a freshly loaded dialog would hold none.
void RectangleGUI::Command2_Click()
{
    Text1->SetText(QString());
    done(QDialog::Rejected);
}

void FillRectangleDialog(RectangleGUI &dialog, float size, int32_t cornerStyle)
{
    if (size == 0.0f) {
        size = kDefaultCornerPixels;
    }
    if (size <= kMaxFraction) {
        dialog.Combo1->setCurrentIndex(kUnitPercent);
        dialog.Text1->SetText(NumberText(static_cast<float>(size * 200.0f)));
    } else {
        dialog.Combo1->setCurrentIndex(kUnitPixels);
        dialog.Text1->SetText(NumberText(size));
    }
    if (cornerStyle >= 1 && cornerStyle <= 4) {
        dialog.Label1->setText(QString::fromUtf8(kStyleCaptions[static_cast<size_t>(cornerStyle - 1)]));
    }
}

// Pixel sizes below one pixel would read as a fraction of the rectangle, so they become one pixel.
float ReadRectangleDialog(const RectangleGUI &dialog, float stored)
{
    if (dialog.Text1->Text().isEmpty()) {
        return stored;
    }
    if (dialog.Combo1->currentIndex() == kUnitPercent) {
        double percent = TypedNumber(dialog.Text1->Text(), 0.0, kMaxPercent);
        return static_cast<float>(percent / 200.0);
    }
    double pixels = TypedNumber(dialog.Text1->Text(), 0.0, kMaxCornerPixels);
    if (pixels > 0.0 && pixels < 1.0) {
        pixels = 1.0;
    }
    return static_cast<float>(pixels);
}

void ShowRectangleSettings(QWidget *owner, float &size, int32_t cornerStyle)
{
    // The window is made on first use and kept while OK only hides it; Cancel unloads it.
    static QPointer<RectangleGUI> window;
    if (!window || window->parentWidget() != owner) {
        delete window;
        window = new RectangleGUI(owner);
    }
    FillRectangleDialog(*window, size, cornerStyle);
    PlaceAtPointer(*window);
    int result = platform::ShowModal(*window);
    if (owner) {
        owner->repaint();
    }
    size = ReadRectangleDialog(*window, size);
    if (result != QDialog::Accepted) {
        delete window;
    }
}

}  // namespace toolwindows
