#include "toolwindows/gradient_editor.h"

#include "core/document.h"
#include "core/gradient_edit.h"
#include "platform/base/number_text.h"
#include "platform/base/rounding.h"
#include "toolwindows/palette_colors.h"

#include <QPalette>

#include <algorithm>
#include <cstdlib>

namespace toolwindows {

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr int kBarTop = 52;  // first row below the bar
constexpr int kFrameHeight = 130;
constexpr int kCollapsedHeight = kBarTop + 28;

core::GradientEdit &Edit()
{
    return core::GradEdit();
}

core::GradStop &Entry(int32_t i)
{
    return Edit().EditGradStops[static_cast<size_t>(i)];
}

int32_t Channel(uint32_t colour, int shift)
{
    return static_cast<int32_t>((colour >> shift) & 0xFF);
}

uint32_t RgbOnly(uint32_t colour)
{
    return colour & 0xFFFFFF;
}

QString TypeName(int16_t fillType)
{
    switch (fillType) {
    case 1: return QStringLiteral("ベタ");
    case 2: return QStringLiteral("線形1");
    case 3: return QStringLiteral("線形2");
    case 4: return QStringLiteral("円形");
    default: return QStringLiteral("なし");
    }
}

int32_t ReadInteger(const QString &text)
{
    return platform::RoundToInt32(platform::Val(text.toStdString()));
}

}  // namespace

GradationGUI::GradationGUI(QWidget *owner) : ToolWindow(owner)
{
    setWindowTitle(QStringLiteral("グラデーション制御"));
    Picture1 = new platform::PictureBox(this);
    Picture1->setGeometry(4, 4, 262, 44);
    Picture1->setMouseTracking(true);
    connect(Picture1, &platform::PictureBox::MouseDown, this, &GradationGUI::Picture1_MouseDown);
    connect(Picture1, &platform::PictureBox::MouseMove, this, &GradationGUI::Picture1_MouseMove);
    connect(Picture1, &platform::PictureBox::MouseUp, this, &GradationGUI::Picture1_MouseUp);

    Label4 = new QLabel(QStringLiteral("タイプ"), this);
    Label4->setGeometry(4, kBarTop, 40, 20);
    Label3 = new QLabel(this);
    Label3->setGeometry(44, kBarTop, 60, 20);
    Command1 = new QPushButton(QStringLiteral("追加"), this);
    Command1->setGeometry(108, kBarTop, 60, 22);
    connect(Command1, &QPushButton::clicked, this, &GradationGUI::Command1_Click);
    Command2 = new QPushButton(QStringLiteral("削除"), this);
    Command2->setGeometry(170, kBarTop, 60, 22);
    connect(Command2, &QPushButton::clicked, this, &GradationGUI::Command2_Click);
    Check1 = new platform::CheckBox(QStringLiteral("▽"), this);
    Check1->SetGraphical(true);
    Check1->setGeometry(236, kBarTop, 30, 22);
    connect(Check1, &platform::CheckBox::Click, this, &GradationGUI::Check1_Click);

    BuildFrame();

    mnuGradient = new platform::Menu(QStringLiteral("mnuGradient"), this);
    mnuAddColor = new platform::MenuItem(mnuGradient, QStringLiteral("追加(&A)"));
    mnuDeleteColor = new platform::MenuItem(mnuGradient, QStringLiteral("削除(&D)"));
    connect(mnuAddColor, &platform::MenuItem::Click, this, &GradationGUI::mnuAddColor_Click);
    connect(mnuDeleteColor, &platform::MenuItem::Click, this, &GradationGUI::mnuDeleteColor_Click);

    CollapsedHeight = kCollapsedHeight;
    setFixedSize(270, CollapsedHeight);
    LoadStopFields();
}

void GradationGUI::BuildFrame()
{
    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(0, kCollapsedHeight, 270, kFrameHeight);
    static const char *const kCaptions[] = {"R", "G", "B", "不透明度"};
    for (int i = 0; i < 4; ++i) {
        auto index = static_cast<size_t>(i);
        int top = 6 + i * 22;
        Label1[index] = new QLabel(QString::fromUtf8(kCaptions[i]), Frame1);
        Label1[index]->setGeometry(4, top, 56, 20);
        HScroll2[index] = new platform::ScrollBar(Qt::Horizontal, Frame1);
        HScroll2[index]->setGeometry(60, top, 140, 18);
        HScroll2[index]->SetMin(0);
        HScroll2[index]->SetMax(255);
        HScroll2[index]->SetLargeChange(16);
        Text1[index] = new platform::TextBox(Frame1);
        Text1[index]->setGeometry(204, top, 40, 20);
        connect(HScroll2[index], &platform::ScrollBar::Change, this, [this, i] { HScroll2_Change(i); });
        connect(HScroll2[index], &platform::ScrollBar::Scroll, this, [this, i] { HScroll2_Scroll(i); });
        connect(Text1[index], &platform::TextBox::KeyPress, this, [this, i](int key) { Text1_KeyPress(i, key); });
    }
    Label2 = new QLabel(QStringLiteral("位置"), Frame1);
    Label2->setGeometry(4, 96, 40, 20);
    Text2 = new platform::TextBox(Frame1);
    Text2->setGeometry(44, 96, 40, 20);
    connect(Text2, &platform::TextBox::KeyPress, this, &GradationGUI::Text2_KeyPress);
    Text3 = new platform::TextBox(Frame1);
    Text3->setGeometry(90, 96, 70, 20);
    connect(Text3, &platform::TextBox::KeyPress, this, &GradationGUI::Text3_KeyPress);
    Picture2 = new platform::PictureBox(Frame1);
    Picture2->setGeometry(166, 96, 40, 20);
}

// ---- loading and drawing ----

void GradationGUI::InitalizeGrad(int32_t id)
{
    if (id > 0 && id <= core::GetPathCount()) {
        core::PathRecord path = core::GetPath(id);
        EditFillType = path.FillType;
        int32_t count = path.StopCount() + 1;
        if (count > kMaxReflectedStopEntries && EditFillType == core::kFillReflected) {
            count = kMaxReflectedStopEntries;
        }
        count = std::min(count, kMaxEditStopEntries);
        Edit().SetStopCount(count);
        for (int32_t i = 1; i < count; ++i) {
            Entry(i) = path.Stops[static_cast<size_t>(i)];
        }
        Entry(0) = core::GradStop{path.FillColor, 0};
        Entry(count) = core::GradStop{path.GradColor, 255};
        if (!HasSelectedStop()) {
            SelectedStop = 0;
        }
        DrawGradientBar();
    } else {
        SelectedStop = 0;
    }
    LoadStopFields();
}

bool GradationGUI::HasSelectedStop() const
{
    return SelectedStop >= 1 && SelectedStop <= Edit().EditGradStopCount - 1;
}

bool GradationGUI::CanAddStop() const
{
    int32_t count = Edit().EditGradStopCount;
    return count < kMaxEditStopEntries && (count < kMaxReflectedStopEntries || EditFillType != core::kFillReflected);
}

void GradationGUI::DrawGradientBar()
{
    Picture1->Cls();
    Label3->setText(QStringLiteral(" ") + TypeName(EditFillType));
    bool frameShown = !Frame1->isHidden();
    Command2->setEnabled(SelectedStop > 0 && frameShown);
    Command1->setEnabled(CanAddStop() && frameShown);
    Picture1->Box(0, 0, 257, 15, Picture1->ForeColor(), false);
    if (EditFillType == core::kFillSolid) {
        Picture1->Box(1, 1, 256, 14, RgbOnly(Entry(0).StopColor), true);
    } else if (EditFillType >= core::kFillLinear) {
        for (int32_t i = 0; i < Edit().EditGradStopCount; ++i) {
            DrawGradientSegment(i);
        }
    }
    for (int32_t i = 1; i < Edit().EditGradStopCount; ++i) {
        DrawStopMarker(i);
    }
    Picture1->Refresh();
}

void GradationGUI::DrawGradientSegment(int32_t i)
{
    const core::GradStop &from = Entry(i);
    const core::GradStop &to = Entry(i + 1);
    if (from.StopPos >= to.StopPos) {
        return;
    }
    // Positions outside the bar are not drawn, however far a damaged stop lies.
    double span = static_cast<double>(to.StopPos) - from.StopPos;
    int32_t first = std::max(from.StopPos, -1);
    int32_t last = std::min(to.StopPos, 256);
    for (int32_t p = first; p <= last; ++p) {
        double t = (p - static_cast<double>(from.StopPos)) / span;
        uint32_t colour = 0;
        for (int shift : {0, 8, 16}) {
            double a = Channel(from.StopColor, shift);
            double b = Channel(to.StopColor, shift);
            auto value = static_cast<uint32_t>(std::clamp(platform::RoundHalfEven(a + t * (b - a)), 0.0, 255.0));
            colour |= value << shift;
        }
        Picture1->Line(p + 1, 1, p + 1, 14, colour);
    }
}

void GradationGUI::DrawStopMarker(int32_t i)
{
    int32_t p = std::clamp(Entry(i).StopPos, -16, 272);
    uint32_t mark = i == SelectedStop ? kRed : kBlack;
    Picture1->Box(p - 3, 20, p + 3, 30, RgbOnly(Entry(i).StopColor), true);
    Picture1->Box(p - 4, 19, p + 4, 31, kWhite, false);
    Picture1->Box(p - 5, 18, p + 5, 32, mark, false);
    Picture1->PSet(p, 16, mark);
    Picture1->Line(p - 2, 17, p + 2, 17, mark);
}

int16_t GradationGUI::HitTestStop(int32_t x, int32_t y) const
{
    if (Edit().EditGradStopCount < 1 || y <= 15 || y > 32) {
        return 0;
    }
    int16_t hit = 0;
    for (int32_t i = 1; i < Edit().EditGradStopCount; ++i) {
        if (std::abs(static_cast<int64_t>(Entry(i).StopPos) - x) <= 5) {
            hit = static_cast<int16_t>(i);
        }
    }
    return hit;
}

// ---- the mouse on the bar ----

void GradationGUI::Picture1_MouseDown(int /*button*/, int /*shift*/, float x, float y)
{
    if (!Picture1->isEnabled()) {
        return;
    }
    StopDragging = true;
    SelectedStop = HitTestStop(platform::RoundToInt32(x), platform::RoundToInt32(y));
    DrawGradientBar();
    LastDownX = platform::RoundToInt32(x);
}

int32_t GradationGUI::ClampBetweenNeighbours(int32_t pos) const
{
    int32_t left = Entry(SelectedStop - 1).StopPos;
    int32_t right = Entry(SelectedStop + 1).StopPos;
    if (pos <= left) {
        pos = platform::SaturateInt<int32_t>(static_cast<int64_t>(left) + 1);
    }
    if (pos >= right) {
        pos = platform::SaturateInt<int32_t>(static_cast<int64_t>(right) - 1);
    }
    return pos;
}

void GradationGUI::Picture1_MouseMove(int /*button*/, int /*shift*/, float x, float y)
{
    if (!Picture1->isEnabled()) {
        return;
    }
    Picture1->unsetCursor();
    if (StopDragging && HasSelectedStop()) {
        Picture1->setCursor(Qt::SizeHorCursor);
        Entry(SelectedStop).StopPos = ClampBetweenNeighbours(platform::RoundToInt32(x));
        DrawGradientBar();
        if (RealtimeChecked && RealtimeChecked()) {
            ApplyGradient(false);
        }
    } else if (!StopDragging && HitTestStop(platform::RoundToInt32(x), platform::RoundToInt32(y)) > 0) {
        Picture1->setCursor(Qt::SizeHorCursor);
    }
}

void GradationGUI::Picture1_MouseUp(int button, int /*shift*/, float x, float /*y*/)
{
    if (!Picture1->isEnabled()) {
        return;
    }
    StopDragging = false;
    if (platform::RoundToInt32(x) != LastDownX && HasSelectedStop()) {
        ApplyGradient(true);
    }
    LoadStopFields();
    if (button == 2) {
        mnuDeleteColor->SetEnabled(HasSelectedStop());
        mnuAddColor->SetEnabled(!HasSelectedStop() && CanAddStop());
        platform::PopupMenu(mnuGradient);
    }
}

// ---- adding and deleting stops ----

void GradationGUI::AddStop(int32_t pos)
{
    if (!CanAddStop()) {
        return;
    }
    // A press right of the last position adds just before the end entry.
    pos = std::clamp(pos, 1, 255);
    int32_t count = Edit().EditGradStopCount;
    int32_t a = 1;
    while (a <= count && Entry(a).StopPos < pos) {
        ++a;
    }
    if (a > count) {
        return;  // the end entry lies below the position: nowhere to insert
    }
    if (Entry(a).StopPos == pos) {
        --pos;
    }
    auto &stops = Edit().EditGradStops;
    stops.insert(stops.begin() + a, core::GradStop());
    Edit().EditGradStopCount = count + 1;
    const core::GradStop &left = Entry(a - 1);
    const core::GradStop &right = Entry(a + 1);
    float t = 0;
    if (right.StopPos > left.StopPos) {
        t = static_cast<float>(pos - left.StopPos) / static_cast<float>(right.StopPos - left.StopPos);
    }
    uint32_t colour = 0;
    for (int shift : {24, 16, 8, 0}) {
        float from = static_cast<float>(Channel(left.StopColor, shift));
        float to = static_cast<float>(Channel(right.StopColor, shift));
        auto value = static_cast<uint32_t>(platform::RoundToInt32(from + t * (to - from))) & 0xFF;
        colour |= value << shift;
    }
    Entry(a) = core::GradStop{colour, pos};
    ApplyGradient(true);
}

void GradationGUI::DeleteStop(int32_t i)
{
    int32_t count = Edit().EditGradStopCount;
    if (i < 1 || i > count - 1) {
        return;
    }
    auto &stops = Edit().EditGradStops;
    stops.erase(stops.begin() + i);
    Edit().EditGradStopCount = count - 1;
    ApplyGradient(true);
}

void GradationGUI::Command1_Click()
{
    int32_t widest = 0;
    int32_t pos = 1;
    for (int32_t i = 0; i < Edit().EditGradStopCount; ++i) {
        int64_t gap = static_cast<int64_t>(Entry(i + 1).StopPos) - Entry(i).StopPos;
        if (gap > widest) {
            widest = static_cast<int32_t>(std::min<int64_t>(gap, INT32_MAX));
            pos = platform::SaturateInt<int32_t>(Entry(i).StopPos + gap / 2);
        }
    }
    AddStop(pos);
    Picture1->setFocus();
}

void GradationGUI::Command2_Click()
{
    DeleteStop(SelectedStop);
    Picture1->setFocus();
}

// ---- the edit frame ----

void GradationGUI::SetColorFields(uint32_t colour, bool withOpacity)
{
    bool wasFilling = filling_;
    filling_ = true;
    for (int i = 0; i < (withOpacity ? 4 : 3); ++i) {
        HScroll2[static_cast<size_t>(i)]->SetValue(Channel(colour, i * 8));
    }
    filling_ = wasFilling;
}

void GradationGUI::LoadStopFields()
{
    if (!HasSelectedStop()) {
        for (platform::TextBox *box : Text1) {
            box->clear();
        }
        Text2->clear();
        Text3->clear();
        for (platform::ScrollBar *bar : HScroll2) {
            bar->setEnabled(false);
        }
        Picture2->SetBackColor(SystemColor(this, QPalette::Button));
        Picture2->Cls();
        Frame1->setEnabled(false);
        return;
    }
    const core::GradStop &stop = Entry(SelectedStop);
    Frame1->setEnabled(false);
    for (platform::ScrollBar *bar : HScroll2) {
        bar->setEnabled(true);
    }
    SetColorFields(stop.StopColor, true);
    Frame1->setEnabled(true);
    Text2->SetText(QString::number(stop.StopPos));
    ShowFieldValues();
}

void GradationGUI::ShowFieldValues()
{
    uint32_t rgb = 0;
    for (int i = 0; i < 3; ++i) {
        rgb |= static_cast<uint32_t>(HScroll2[static_cast<size_t>(i)]->Value()) << (i * 8);
    }
    Picture2->SetBackColor(rgb);
    Picture2->Cls();
    for (size_t i = 0; i < 4; ++i) {
        Text1[i]->SetText(QString::number(HScroll2[i]->Value()));
    }
    Text3->SetText(QStringLiteral("#%1%2%3")
                       .arg(HScroll2[0]->Value(), 2, 16, QLatin1Char('0'))
                       .arg(HScroll2[1]->Value(), 2, 16, QLatin1Char('0'))
                       .arg(HScroll2[2]->Value(), 2, 16, QLatin1Char('0'))
                       .toUpper());
}

void GradationGUI::ApplyStopFields()
{
    if (!HasSelectedStop()) {
        return;
    }
    uint32_t colour = 0;
    for (int i = 0; i < 4; ++i) {
        colour |= static_cast<uint32_t>(HScroll2[static_cast<size_t>(i)]->Value()) << (i * 8);
    }
    int32_t pos = ClampBetweenNeighbours(ReadInteger(Text2->Text()));
    Text2->SetText(QString::number(pos));
    Entry(SelectedStop) = core::GradStop{colour, pos};
    ApplyGradient(true);
}

void GradationGUI::HScroll2_Change(int index)
{
    if (!HScroll2[static_cast<size_t>(index)]->isEnabled() || filling_ || !Frame1->isEnabled()) {
        return;
    }
    ShowFieldValues();
    ApplyStopFields();
}

void GradationGUI::HScroll2_Scroll(int /*index*/)
{
    ShowFieldValues();
}

void GradationGUI::Text1_KeyPress(int index, int keyAscii)
{
    if (keyAscii != 13) {
        return;
    }
    double value = platform::RoundHalfEven(platform::Val(Text1[static_cast<size_t>(index)]->Text().toStdString()));
    if (value >= 0 && value <= 255) {
        HScroll2[static_cast<size_t>(index)]->SetValue(static_cast<int>(value));
    }
}

void GradationGUI::Text2_KeyPress(int keyAscii)
{
    if (keyAscii == 13) {
        ApplyStopFields();
    }
}

void GradationGUI::Text3_KeyPress(int keyAscii)
{
    if (keyAscii != 13) {
        return;
    }
    QString text = Text3->Text();
    if (text.size() == 7 && text.startsWith(QLatin1Char('#'))) {
        text = text.mid(1);
    } else if (text.size() != 6 || text.startsWith(QLatin1Char('#'))) {
        return;  // "#" with five digits is no colour
    }
    uint32_t colour = 0;
    for (int i = 0; i < 3; ++i) {
        std::string pair = "&H" + text.mid(i * 2, 2).toStdString();
        auto value = static_cast<uint32_t>(std::clamp(platform::Val(pair), 0.0, 255.0));
        colour |= value << (i * 8);
    }
    // The three channels change together: one edit of the stop, one undo step.
    SetColorFields(colour, false);
    ShowFieldValues();
    ApplyStopFields();
}

void GradationGUI::GetFromColorPicker(uint32_t co)
{
    if (!HasSelectedStop()) {
        return;
    }
    Frame1->setEnabled(false);
    SetColorFields(co, false);
    Frame1->setEnabled(true);
    ShowFieldValues();
    ApplyStopFields();
}

void GradationGUI::Check1_Click()
{
    bool unfolded = Check1->Value() == 1;
    setFixedHeight(unfolded ? CollapsedHeight + Frame1->height() : CollapsedHeight);
    Check1->setText(unfolded ? QStringLiteral("△") : QStringLiteral("▽"));
    if (Picture1->isEnabled()) {
        Picture1->setFocus();
    }
}

}  // namespace toolwindows
