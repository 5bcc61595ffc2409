#include "toolwindows/preview_window.h"

#include "platform/base/atomic_file.h"
#include "platform/base/rounding.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/window_placement.h"
#include "toolwindows/animation_preview.h"
#include "toolwindows/main_window_link.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace toolwindows {

namespace {

constexpr int kButtonSize = 24;   // pixels: the button row's height and the button's width
constexpr int kLabelWidth = 48;
constexpr int kMinSliderWidth = 60;
// The window only mirrors the player's state: a modest polling interval is enough.
constexpr int kPollInterval = 15;  // ms
constexpr double kDefaultFrameRate = 12.0;

const QString kOffersPlay = QStringLiteral("＞");
const QString kOffersStop = QStringLiteral("□");

QPointer<PreviewWindow> g_window;
bool g_timersHeld = false;

// The frame rate in a movie file's header, the default when it cannot be read.
double MovieFrameRate(const std::string &path)
{
    const std::string head = platform::ReadFileHead(path, 32);
    const auto bytes = reinterpret_cast<const unsigned char *>(head.data());
    const int count = static_cast<int>(head.size());
    if (count < 9 || head[0] != 'F' || head[1] != 'W' || head[2] != 'S') {
        return kDefaultFrameRate;
    }
    // The frame rectangle: 5 bits of field size, then four fields of that size.
    const int rectBytes = (5 + 4 * (bytes[8] >> 3) + 7) / 8;
    const int rateAt = 8 + rectBytes;
    if (count < rateAt + 2) {
        return kDefaultFrameRate;
    }
    const double rate = bytes[rateAt + 1] + bytes[rateAt] / 256.0;
    return rate > 0 ? rate : kDefaultFrameRate;
}

QIcon ButtonPicture(bool play)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    if (play) {
        const QPointF triangle[3] = {{4, 2}, {13, 8}, {4, 14}};
        painter.drawPolygon(triangle, 3);
    } else {
        painter.drawRect(3, 3, 10, 10);
    }
    return QIcon(pixmap);
}

// The slider holds 16-bit values: frames past its range show at its end.
int16_t SliderMax(int32_t lastFrame)
{
    return static_cast<int16_t>(std::clamp<int32_t>(lastFrame, 0, 32767));
}

}  // namespace

// ---- the player widget ----

PreviewPlayer::PreviewPlayer(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&clock_, &QTimer::timeout, this, &PreviewPlayer::ClockTick);
}

void PreviewPlayer::SetMovie(const std::string &path)
{
    player_.SetMovie(path);
    frameMs_ = 1000.0 / MovieFrameRate(path);
    RestartCount();
    clock_.setInterval(std::max(1, static_cast<int>(std::lround(frameMs_))));
    StartClock();
    update();
}

void PreviewPlayer::Play()
{
    player_.Play();
    RestartCount();
    StartClock();
    update();
}

void PreviewPlayer::StartClock()
{
    // Started afresh, so the frame shown when playing starts gets a whole frame's time.
    if (player_.IsPlaying() && !g_timersHeld) {
        clock_.start();
    }
}

void PreviewPlayer::RestartCount()
{
    ticks_ = 0;
    deliveredMs_ = 0;
}

void PreviewPlayer::Stop()
{
    player_.Stop();
    clock_.stop();
}

void PreviewPlayer::GotoFrame(int32_t frame)
{
    if (player_.TotalFrames() > 0) {
        player_.GotoFrame(frame);
        update();
    }
}

void PreviewPlayer::Tick(int32_t ms)
{
    const int32_t before = player_.FrameNum();
    player_.Tick(ms);
    if (!player_.IsPlaying()) {
        clock_.stop();  // stopped at its last frame
    }
    if (player_.FrameNum() != before) {
        update();
    }
}

void PreviewPlayer::ClockTick()
{
    // Counted in ticks, not in elapsed time: a window that was busy (opening, being dragged)
    // goes on from the frame it showed instead of skipping frames. The time handed on is the
    // frame time of all ticks since playing started, rounded up by half a millisecond or more,
    // so each tick shows the next frame and no rounding adds up.
    if (!player_.IsPlaying()) {
        return;
    }
    ++ticks_;
    const auto due = static_cast<int64_t>(std::ceil(static_cast<double>(ticks_) * frameMs_ + 0.5));
    Tick(static_cast<int32_t>(std::min<int64_t>(due - deliveredMs_, INT32_MAX)));
    deliveredMs_ = due;
}

void PreviewPlayer::paintEvent(QPaintEvent *)
{
    if (image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        image_.fill(Qt::white);
    }
    player_.Render(image_, image_.rect());
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

// ---- the window ----

PreviewWindow::PreviewWindow(QWidget *owner) : ToolWindow(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("アニメプレビュー"));
    ShockwaveFlash1 = new PreviewPlayer(this);
    Command1 = new QPushButton(this);
    Command1->setFixedSize(kButtonSize, kButtonSize);
    Command1->setFocusPolicy(Qt::NoFocus);
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->resize(kLabelWidth, kButtonSize);
    HScroll1 = new platform::ScrollBar(Qt::Horizontal, this);
    HScroll1->move(kButtonSize + kLabelWidth, 0);
    // One frame a step: a click beside the thumb moves one frame, and the thumb is one frame's
    // share of the groove, so where it stands is the frame shown.
    HScroll1->SetSmallChange(1);
    HScroll1->SetLargeChange(1);
    Image1 = ButtonPicture(true);
    Image2 = ButtonPicture(false);
    Timer1 = new QTimer(this);

    connect(Command1, &QPushButton::clicked, this, &PreviewWindow::Command1_Click);
    connect(HScroll1, &platform::ScrollBar::Change, this, &PreviewWindow::HScroll1_Change);
    connect(HScroll1, &platform::ScrollBar::Scroll, this, &PreviewWindow::HScroll1_Change);
    connect(Timer1, &QTimer::timeout, this, &PreviewWindow::Timer1_Timer);

    // Load: a loaded movie plays at once, so the button offers stop.
    HScroll1->SetMin(0);
    Timer1->setInterval(kPollInterval);
    const ToolWindowSettings &settings = MainWindow().Settings();
    platform::MoveWindowTwips(this, settings.PreviewWindowLeft, settings.PreviewWindowTop);
    ShowPlayButton(false);
}

void PreviewWindow::LoadMovie(const std::string &path, int32_t width, int32_t height)
{
    ShockwaveFlash1->setGeometry(0, 0, std::max(width, 1), std::max(height, 1));
    ShockwaveFlash1->SetMovie(path);
    Form_Resize();
}

void PreviewWindow::ShowPlayButton(bool offersPlay)
{
    Command1->setIcon(offersPlay ? Image1 : Image2);
    command1Tag_ = offersPlay ? kOffersPlay : kOffersStop;
}

void PreviewWindow::Command1_Click()
{
    if (ShockwaveFlash1->IsPlaying()) {
        ShockwaveFlash1->Stop();
        ShowPlayButton(true);
    } else {
        ShockwaveFlash1->Play();
        ShowPlayButton(false);
    }
}

void PreviewWindow::Timer1_Timer()
{
    const int32_t f = ShockwaveFlash1->FrameNum();
    // Following the player is not a user's move of the slider.
    followingPlayer_ = true;
    if (HScroll1->Max() < f) {
        HScroll1->SetMax(SliderMax(f));
    }
    if (f >= 0) {
        HScroll1->SetValue(f);
    }
    followingPlayer_ = false;
    Label1->setText(QString::number(int64_t{f} + 1));
    const bool playing = ShockwaveFlash1->IsPlaying();
    if (playing && command1Tag_ == kOffersPlay) {
        ShowPlayButton(false);
    } else if (!playing && command1Tag_ == kOffersStop) {
        ShowPlayButton(true);
    }
}

void PreviewWindow::HScroll1_Change()
{
    if (followingPlayer_ || ShockwaveFlash1->IsPlaying()) {
        return;
    }
    ShockwaveFlash1->GotoFrame(HScroll1->Value());
    Label1->setText(QString::number(int64_t{ShockwaveFlash1->FrameNum()} + 1));
}

void PreviewWindow::Form_Resize()
{
    if (isMinimized()) {
        return;
    }
    // The inner area is the player with the button row under it (wide enough for the row).
    const QRect player = ShockwaveFlash1->geometry();
    const int sliderLeft = kButtonSize + kLabelWidth;
    const QSize inner(std::max(player.width(), sliderLeft + kMinSliderWidth), player.height() + kButtonSize);
    if (size() != inner) {
        setFixedSize(inner);
    }
    Command1->move(0, player.height());
    Label1->move(kButtonSize, player.height());
    HScroll1->setGeometry(sliderLeft, player.height(), std::max(0, inner.width() - sliderLeft), kButtonSize);
    HScroll1->SetMax(SliderMax(ShockwaveFlash1->TotalFrames() - 1));
}

void PreviewWindow::Form_KeyUp(int keyCode, int /*shift*/)
{
    if (keyCode == platform::kVkEscape) {
        close();
    }
}

void PreviewWindow::Form_Unload()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (isVisible()) {
        const QRect frame = platform::WindowRectTwips(this);
        MainWindow().Settings().PreviewWindowLeft = frame.left();
        MainWindow().Settings().PreviewWindowTop = frame.top();
    }
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    Timer1->stop();
    if (g_window == this) {
        g_window = nullptr;
    }
    ToolWindow::closeEvent(event);
}

void PreviewWindow::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyUp(platform::kVkEscape, platform::ShiftStateOf(event->modifiers()));
        return;
    }
    ToolWindow::keyReleaseEvent(event);
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    ToolWindow::resizeEvent(event);
    Form_Resize();
}

PreviewWindow *OpenPreviewWindow()
{
    return g_window;
}

void UnloadPreviewWindow()
{
    if (PreviewWindow *window = g_window) {
        g_window = nullptr;
        window->close();
    }
}

void ShowPreviewWindow(const std::string &path, int32_t width, int32_t height, QWidget *owner)
{
    UnloadPreviewWindow();
    auto *window = new PreviewWindow(owner);
    g_window = window;
    window->LoadMovie(path, width, height);
    window->show();
    window->raise();
    window->activateWindow();
    if (!g_timersHeld) {
        window->Timer1->start();
    }
}

void HoldPreviewTimers(bool held)
{
    g_timersHeld = held;
}

}  // namespace toolwindows
