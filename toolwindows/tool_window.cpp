#include "toolwindows/tool_window.h"

#include "platform/base/rounding.h"
#include "platform/forms/menus.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/window_placement.h"

#include <QCloseEvent>

#include <algorithm>

namespace toolwindows {
namespace {

constexpr uint32_t kSplitterBarColor = 0x808080;

class OwnerCloseWatcher : public QObject {
public:
    OwnerCloseWatcher(QObject *owner, std::function<void()> onClosing) : QObject(owner), onClosing_(std::move(onClosing))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            onClosing_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClosing_;
};

}  // namespace

void StoreSplitPlacement(const QWidget *window, int splitterTop, const SplitPlacement &placement)
{
    if (!window->isVisible()) {
        return;
    }
    QRect frame = platform::WindowRectTwips(window);
    placement.left = frame.left();
    placement.top = frame.top();
    placement.width = frame.width();
    placement.height = frame.height();
    placement.splitter = splitterTop;
}

void ShowSplitWindow(QWidget *window, QWidget *grip, QWidget *bar, const SplitPlacement &placement)
{
    grip->move(0, placement.splitter);
    bar->move(0, placement.splitter);
    platform::ShowWindowAtTwips(window, placement.left, placement.top, placement.width, placement.height);
}

void BeginSplitterDrag(const QWidget *grip, QWidget *bar)
{
    bar->setGeometry(grip->x(), grip->y(), grip->width(), std::max(grip->height() / 2, 1));
    bar->show();
    bar->raise();
}

void DragSplitterBar(const QWidget *grip, QWidget *bar, float y, int clientHeight, int margin)
{
    int top = platform::RoundToInt32(y) + grip->y();
    bar->move(bar->x(), std::max(std::min(top, clientHeight - margin), margin));
}

void WatchOwnerClose(QWidget &owner, std::function<void()> onClosing)
{
    owner.installEventFilter(new OwnerCloseWatcher(&owner, std::move(onClosing)));
}

void UnloadWithOwner(QWidget &owner, std::function<SplitToolWindow *()> current)
{
    WatchOwnerClose(owner, [current = std::move(current)] {
        if (SplitToolWindow *window = current()) {
            window->UnloadWindow(kUnloadByOwner);
        }
    });
}

SplitToolWindow::SplitToolWindow(QWidget *owner, platform::MenuItem *viewItem, SplitPlacement (*placement)(),
                                 bool keepFlagWhenHidden)
    : ToolWindow(owner), viewItem_(viewItem), placement_(placement), keepFlagWhenHidden_(keepFlagWhenHidden)
{
}

void SplitToolWindow::BuildSplitter()
{
    imgSplitter2 = new platform::PictureBox(this);
    imgSplitter2->setCursor(Qt::SizeVerCursor);
    picSplitter2 = new platform::PictureBox(this);
    picSplitter2->SetBackColor(kSplitterBarColor);
    picSplitter2->Cls();
    picSplitter2->hide();
    connect(imgSplitter2, &platform::PictureBox::MouseDown, this, &SplitToolWindow::imgSplitter2_MouseDown);
    connect(imgSplitter2, &platform::PictureBox::MouseMove, this, &SplitToolWindow::imgSplitter2_MouseMove);
    connect(imgSplitter2, &platform::PictureBox::MouseUp, this, &SplitToolWindow::imgSplitter2_MouseUp);
}

void SplitToolWindow::imgSplitter2_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/)
{
    BeginSplitterDrag(imgSplitter2, picSplitter2);
    picSplitter2->Cls();
    SplitterMoving = true;
}

void SplitToolWindow::imgSplitter2_MouseMove(int /*button*/, int /*shift*/, float /*x*/, float y)
{
    if (SplitterMoving) {
        DragSplitterBar(imgSplitter2, picSplitter2, y, height(), kPaneMargin);
    }
}

void SplitToolWindow::imgSplitter2_MouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/)
{
    SizePanes(picSplitter2->y());
    picSplitter2->hide();
    SplitterMoving = false;
    SplitterMoved();
}

void SplitToolWindow::Form_QueryUnload(int unloadMode)
{
    int32_t &visible = placement_().visible;
    if (unloadMode != kUnloadByOwner) {
        visible = 0;
    } else if (isVisible()) {
        visible = 1;
    } else if (!keepFlagWhenHidden_) {
        visible = 0;
    }
}

void SplitToolWindow::Form_Unload()
{
    viewItem_->SetChecked(false);
    StorePlacement();
}

void SplitToolWindow::StorePlacement()
{
    StoreSplitPlacement(this, imgSplitter2->y(), placement_());
}

void SplitToolWindow::UnloadWindow(int unloadMode)
{
    if (unloaded_) {
        return;
    }
    Form_QueryUnload(unloadMode);
    if (unloadMode == kUnloadByOwner) {
        StorePlacement();
        return;
    }
    Form_Unload();
    unloaded_ = true;
    Forget();
    hide();
    deleteLater();
}

void SplitToolWindow::closeEvent(QCloseEvent *event)
{
    UnloadWindow(kUnloadByUser);
    ToolWindow::closeEvent(event);
}

void OpenSplitToolWindow(SplitToolWindow &window, const SplitPlacement &placement)
{
    placement.visible = 1;
    ShowSplitWindow(&window, window.imgSplitter2, window.picSplitter2, placement);
    window.SizePanes(window.picSplitter2->y());
}

void ToolWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        emit Activated();
    }
}

void ToolWindow::closeEvent(QCloseEvent *event)
{
    emit Closed();
    QWidget::closeEvent(event);
}

}  // namespace toolwindows
