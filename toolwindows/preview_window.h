// The animation preview window: plays the preview movie with a play/stop button, a frame slider
// and the frame number.
#pragma once

#include "platform/forms/controls.h"
#include "platform/player/movie_player.h"
#include "toolwindows/tool_window.h"

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdint>
#include <string>

namespace toolwindows {

// A widget that shows a movie player and runs its clock at the movie's frame rate while the movie
// plays: each tick of the clock shows the next frame, however late the tick comes.
class PreviewPlayer : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPlayer(QWidget *parent = nullptr);

    // Loads the movie; a movie of several frames starts playing, and its clock with it.
    void SetMovie(const std::string &path);
    void Play();
    void Stop();
    bool IsPlaying() const { return player_.IsPlaying(); }
    int32_t TotalFrames() const { return player_.TotalFrames(); }
    // The current frame from 0; -1 without a movie.
    int32_t FrameNum() const { return player_.FrameNum(); }
    // Shows a frame (clamped to the movie); nothing for a movie without frames.
    void GotoFrame(int32_t frame);
    // Advances the clock by ms milliseconds.
    void Tick(int32_t ms);
    // One tick of the clock: a playing movie moves on by one frame.
    void ClockTick();
    bool ClockRunning() const { return clock_.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Playing (re)starts: the ticks are counted from here.
    void RestartCount();
    void StartClock();

    platform::MoviePlayer player_;
    QTimer clock_;
    double frameMs_ = 0;         // one frame's time
    int64_t ticks_ = 0;          // clock ticks since playing started
    int64_t deliveredMs_ = 0;    // time handed to the player for them
    QImage image_;
};

class PreviewWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget *owner);

    // Sizes the player, loads the movie and lays the window out around it.
    void LoadMovie(const std::string &path, int32_t width, int32_t height);

    void Command1_Click();
    void Timer1_Timer();
    void HScroll1_Change();
    void Form_Resize();
    void Form_KeyUp(int keyCode, int shift);
    // Stores the placement while the window is shown.
    void Form_Unload();

    const QString &Command1Tag() const { return command1Tag_; }

    PreviewPlayer *ShockwaveFlash1;
    QPushButton *Command1;
    platform::ScrollBar *HScroll1;
    QLabel *Label1;
    QIcon Image1;  // offers play
    QIcon Image2;  // offers stop
    QTimer *Timer1;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ShowPlayButton(bool offersPlay);

    QString command1Tag_;
    bool followingPlayer_ = false;  // the timer is moving the slider
};

// The open preview window, nullptr when none.
PreviewWindow *OpenPreviewWindow();

// Held, the timers of a preview window opened afterwards do not start: whoever holds them
// delivers the ticks (PreviewPlayer::ClockTick, PreviewWindow::Timer1_Timer) one by one.
void HoldPreviewTimers(bool held);

}  // namespace toolwindows
