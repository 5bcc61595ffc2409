#include "toolwindows/brush_palette.h"

#include "core/brush_list.h"
#include "core/document.h"
#include "platform/base/rounding.h"
#include "platform/forms/message_box.h"
#include "toolwindows/palette_colors.h"

#include <QPolygon>

#include <algorithm>
#include <utility>

namespace toolwindows {

namespace {

core::BrushList &List()
{
    return core::Brushes();
}

QString CurrentBrushName()
{
    const core::BrushList &list = List();
    if (list.CurrentBrush < 1 || list.CurrentBrush > list.BrushCount) {
        return QString();
    }
    return QString::fromStdString(list.BrushNames[static_cast<size_t>(list.CurrentBrush)]);
}

// Whether registering would store a brush: exactly one selected path, and that one closed.
bool SelectedPathMakesBrush()
{
    if (core::CountSelectedPaths() != 1) {
        return false;
    }
    for (const core::PathRecord &path : std::as_const(core::Doc().DocPaths)) {
        if (path.blSelected) {
            return path.blClosed;
        }
    }
    return false;
}

}  // namespace

BrushGUI::BrushGUI(QWidget *owner) : ToolWindow(owner)
{
    setWindowTitle(QStringLiteral("ブラシ/消しゴム管理"));
    menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);
    mnuBrushMenu = new platform::Menu(QStringLiteral("▼"), menuBar);
    menuBar->addMenu(mnuBrushMenu);
    mnuBrushSetPath = new platform::MenuItem(mnuBrushMenu, QStringLiteral("選択パスをブラシに登録(&S)"));
    mnuBrushDelete = new platform::MenuItem(mnuBrushMenu, QStringLiteral("ブラシを削除(&D)"));
    mnuBrushInit = new platform::MenuItem(mnuBrushMenu, QStringLiteral("ブラシリストを初期化(&I)"));
    mnuBrushName = new platform::Menu(QString(), menuBar);
    menuBar->addMenu(mnuBrushName);
    mnuBrushChangeName = new platform::MenuItem(mnuBrushName, QStringLiteral("名前を変更する(&N)"));
    mnuBrushLeft = menuBar->addAction(QStringLiteral("←"));
    mnuBrushRight = menuBar->addAction(QStringLiteral("→"));
    connect(mnuBrushMenu, &platform::Menu::Click, this, &BrushGUI::mnuBrushMenu_Click);
    connect(mnuBrushSetPath, &platform::MenuItem::Click, this, &BrushGUI::mnuBrushSetPath_Click);
    connect(mnuBrushDelete, &platform::MenuItem::Click, this, &BrushGUI::mnuBrushDelete_Click);
    connect(mnuBrushInit, &platform::MenuItem::Click, this, &BrushGUI::mnuBrushInit_Click);
    connect(mnuBrushChangeName, &platform::MenuItem::Click, this, &BrushGUI::mnuBrushChangeName_Click);
    connect(mnuBrushLeft, &QAction::triggered, this, [this] { MoveBrush(-1); });
    connect(mnuBrushRight, &QAction::triggered, this, [this] { MoveBrush(+1); });

    Picture1 = new platform::PictureBox(this);
    connect(Picture1, &platform::PictureBox::MouseDown, this, &BrushGUI::Picture1_MouseDown);
    HScroll1 = new platform::ScrollBar(Qt::Horizontal, this);
    HScroll1->SetSmallChange(8);
    connect(HScroll1, &platform::ScrollBar::Change, this, &BrushGUI::DrawBrushCells);
    connect(HScroll1, &platform::ScrollBar::Scroll, this, &BrushGUI::DrawBrushCells);
    Text1 = new platform::TextBox(Picture1);
    Text1->setGeometry(0, 0, 160, 22);
    Text1->hide();
    connect(Text1, &platform::TextBox::KeyPress, this, &BrushGUI::Text1_KeyPress);
    connect(Text1, &platform::TextBox::LostFocus, this, &BrushGUI::Text1_LostFocus);

    int strip = 54;  // the window opens with a strip this high
    resize(320, menuBar->sizeHint().height() + strip + HScroll1->sizeHint().height());
}

BrushGUI::~BrushGUI()
{
    // The name box loses the focus while the window is torn down: no handler may run then.
    disconnect(Text1, nullptr, this, nullptr);
}

// ---- showing the list ----

void BrushGUI::SetupBrushList()
{
    if (!isVisible()) {
        return;
    }
    int64_t h = CellSide();
    int64_t s = HScroll1->Value();
    int64_t current = List().CurrentBrush;
    if ((current - 1) * h - s < 0) {
        HScroll1->SetValue(platform::SaturateInt<int32_t>((current - 1) * h));
    } else if (current * h - s >= Picture1->ScaleWidth()) {
        HScroll1->SetValue(platform::SaturateInt<int32_t>(current * h - Picture1->ScaleWidth()));
    }
    DrawBrushCells();
}

void BrushGUI::DrawBrushCells()
{
    if (!isVisible()) {
        return;
    }
    const core::BrushList &list = List();
    mnuBrushName->setTitle(CurrentBrushName());
    mnuBrushLeft->setEnabled(list.CurrentBrush >= 2);
    mnuBrushRight->setEnabled(list.CurrentBrush < list.BrushCount);

    const int32_t h = CellSide();
    const int32_t w = Picture1->ScaleWidth();
    const int32_t s = HScroll1->Value();
    const uint32_t text = SystemColor(this, QPalette::WindowText);
    const uint32_t highlight = SystemColor(this, QPalette::Highlight);
    const uint32_t highlightText = SystemColor(this, QPalette::HighlightedText);
    Picture1->Cls();
    for (int32_t i = 1; i <= list.BrushCount; ++i) {
        int64_t x0 = static_cast<int64_t>(i - 1) * h - s;
        if (x0 > w || x0 < -h) {
            continue;
        }
        auto left = static_cast<int32_t>(x0);
        bool current = i == list.CurrentBrush;
        if (current) {
            Picture1->Box(left, 0, left + h, h, highlight, true);
        } else {
            Picture1->Line(left + h, 0, left + h, h, text);
        }
        const core::PathRecord &brush = list.BrushPaths[static_cast<size_t>(i)];
        if (brush.Anchors.empty()) {
            continue;
        }
        QPolygon outline;
        for (const core::AnchorPoint &anchor : brush.Anchors) {
            outline << QPoint(left + anchor.X / 20 + h / 2, h / 2 + anchor.Y / 20);
        }
        outline << outline.front();
        uint32_t colour = current ? highlightText : text;
        for (int k = 0; k + 1 < outline.size(); ++k) {
            Picture1->Line(outline[k].x(), outline[k].y(), outline[k + 1].x(), outline[k + 1].y(), colour);
        }
    }
    int64_t end = static_cast<int64_t>(list.BrushCount) * h - s + 1;
    if (w > end) {
        Picture1->Box(static_cast<int32_t>(end), 0, w, h, SystemColor(this, QPalette::Button), true);
    }
    Picture1->Refresh();
}

void BrushGUI::Form_Resize()
{
    int top = menuBar->sizeHint().height();
    int bar = HScroll1->sizeHint().height();
    menuBar->setGeometry(0, 0, width(), top);
    Picture1->setGeometry(0, top, width(), std::max(1, height() - top - bar));
    HScroll1->setGeometry(0, top + Picture1->height(), width(), bar);
    int64_t h = CellSide();
    int64_t overflow = h * List().BrushCount - Picture1->ScaleWidth();
    if (overflow > 0) {
        // The scroll bar counts in 16 bits: a longer strip scrolls as far as it can reach.
        HScroll1->SetMax(static_cast<int16_t>(std::min<int64_t>(overflow, INT16_MAX)));
        HScroll1->SetLargeChange(static_cast<int>(h));
        HScroll1->setEnabled(true);
    } else {
        HScroll1->SetValue(0);
        HScroll1->setEnabled(false);
    }
    DrawBrushCells();
}

void BrushGUI::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// ---- commands ----

void BrushGUI::Picture1_MouseDown(int /*button*/, int /*shift*/, float x, float /*y*/)
{
    int64_t h = CellSide();
    if (h < 1 || List().BrushCount < 1) {
        return;
    }
    int64_t chosen = (HScroll1->Value() + static_cast<int64_t>(platform::RoundToInt32(x))) / h + 1;
    List().CurrentBrush = static_cast<int32_t>(std::clamp<int64_t>(chosen, 1, List().BrushCount));
    SetupBrushList();
    emit FocusCanvas();
}

void BrushGUI::mnuBrushMenu_Click()
{
    mnuBrushSetPath->SetEnabled(core::CountSelectedPaths() == 1);
    mnuBrushDelete->SetEnabled(List().BrushCount >= 2);
}

void BrushGUI::ListChanged()
{
    core::RefreshBrushMenu();
    SetupBrushList();
    Form_Resize();
}

void BrushGUI::mnuBrushSetPath_Click()
{
    core::BrushList &list = List();
    if (!SelectedPathMakesBrush() || list.CurrentBrush < 1 || list.CurrentBrush > list.BrushCount) {
        return;
    }
    auto at = static_cast<size_t>(list.CurrentBrush);
    list.BrushPaths.insert(list.BrushPaths.begin() + static_cast<std::ptrdiff_t>(at), list.BrushPaths[at]);
    list.BrushNames.insert(list.BrushNames.begin() + static_cast<std::ptrdiff_t>(at), list.BrushNames[at]);
    ++list.BrushCount;
    core::SetPathAsBrush();
    ListChanged();
}

void BrushGUI::mnuBrushDelete_Click()
{
    core::BrushList &list = List();
    if (list.BrushCount < 2 || list.CurrentBrush < 1 || list.CurrentBrush > list.BrushCount) {
        return;
    }
    QString prompt = QStringLiteral("ブラシ[") + CurrentBrushName() + QStringLiteral("] を削除しますか？");
    if (platform::MsgBox(prompt, platform::kMbYesNo, QStringLiteral("Quillark"), this) != platform::kMbYes) {
        return;
    }
    auto at = static_cast<std::ptrdiff_t>(list.CurrentBrush);
    list.BrushPaths.erase(list.BrushPaths.begin() + at);
    list.BrushNames.erase(list.BrushNames.begin() + at);
    --list.BrushCount;
    list.CurrentBrush = std::min(list.CurrentBrush, list.BrushCount);
    ListChanged();
}

void BrushGUI::mnuBrushInit_Click()
{
    if (platform::MsgBox(QStringLiteral("ブラシを全て初期化しますか？"), platform::kMbYesNo, QStringLiteral("Quillark"),
                         this) != platform::kMbYes) {
        return;
    }
    core::SetupDefaultBrushes();
    SetupBrushList();
    Form_Resize();
}

void BrushGUI::MoveBrush(int32_t d)
{
    core::BrushList &list = List();
    int32_t target = list.CurrentBrush + d;
    if (list.CurrentBrush < 1 || target < 1 || target > list.BrushCount) {
        return;
    }
    auto from = static_cast<size_t>(list.CurrentBrush);
    auto to = static_cast<size_t>(target);
    std::swap(list.BrushPaths[from], list.BrushPaths[to]);
    std::swap(list.BrushNames[from], list.BrushNames[to]);
    list.CurrentBrush = target;
    core::RefreshBrushMenu();
    SetupBrushList();
}

void BrushGUI::mnuBrushChangeName_Click()
{
    Text1->SetText(CurrentBrushName());
    Text1->show();
    Text1->setFocus();
}

void BrushGUI::Text1_KeyPress(int keyAscii)
{
    core::BrushList &list = List();
    if (keyAscii == 27) {
        Text1->hide();
    } else if (keyAscii == 13 && list.CurrentBrush >= 1 && list.CurrentBrush <= list.BrushCount) {
        list.BrushNames[static_cast<size_t>(list.CurrentBrush)] = Text1->Text().toStdString();
        core::RefreshBrushMenu();
        SetupBrushList();
    }
}

}  // namespace toolwindows
