// One offscreen main window with the path list open, driven through the window's own handlers,
// over drawings made by the shared generator: closed rounded outlines with mixed fills,
// gradients, groups and compounds on a 1638-pixel canvas. Shared by the editor benchmarks.
#pragma once

#include "bench/bench_drawing.h"
#include "canvastools/canvas_input.h"
#include "canvastools/canvas_input_state.h"
#include "core/document.h"
#include "core/document_lifecycle.h"
#include "core/drawing_file.h"
#include "core/hit_search.h"
#include "core/history.h"
#include "mainwindow/draw_gui.h"
#include "mainwindow/draw_gui_menus.h"
#include "movie/canvas_movie.h"
#include "platform/base/idle_memory_release.h"
#include "platform/forms/key_codes.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_box.h"
#include "tests/support/image_compare.h"
#include "toolwindows/path_list_window.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <thread>
#include <utility>
#include <vector>
#include <sys/resource.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>

namespace benchsupport {

// A maximised window on a common screen: the canvas shows about half of the drawing.
constexpr int kWindowWidth = 1600;
constexpr int kWindowHeight = 1000;
constexpr int kLeft = 1;

// Writes the generated drawing of count paths (seed decides the outlines) to file.
inline void WriteEditorDrawing(const std::string &file, int count, unsigned seed)
{
    core::CanvasSettings settings = core::Doc().CurrentSettings;
    settings.Width = kEditorCanvas;
    settings.Height = kEditorCanvas;
    settings.Quality = 2;
    std::string message;
    core::PathArray paths = MakeEditorPaths(count, seed);
    if (!core::WriteDrawingFile(file, paths, count, settings, message)) {
        std::abort();
    }
}

// Writes the two drawings of an editor session (seeds 7 and 8) in a child process, so that making
// them adds nothing to this process's memory.
inline void WriteEditorDrawingsInChild(const std::string &folder, int count)
{
    pid_t child = fork();
    if (child == 0) {
        WriteEditorDrawing(folder + "/drawing" + std::to_string(count) + ".qlk", count, 7);
        WriteEditorDrawing(folder + "/other" + std::to_string(count) + ".qlk", count, 8);
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::abort();
    }
}

// A fresh private program folder, made the process's QUILLARK_HOME.
inline std::string MakeBenchFolder()
{
    std::string folder = (std::filesystem::temp_directory_path() / "quillark-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::abort();
    }
    setenv("QUILLARK_HOME", folder.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return folder;
}

// Peak resident memory of this process so far, in megabytes.
inline double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Resident memory of this process now, in megabytes.
inline double ResidentMegabytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Megabytes the undo history's entries hold, a record shared by neighbouring entries counted once
// and anchors the document holds too not counted.
inline double HistoryMegabytes()
{
    const std::vector<core::HistoryEntry> &entries = core::History().HistoryEntries;
    size_t bytes = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
        bytes += entries[k].Paths.BytesNotSharedWith(k > 0 ? &entries[k - 1].Paths : nullptr, &core::Doc().DocPaths);
    }
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// What the heap holds now: bytes in use (heap_used_MB, blocks mapped on their own included) and
// bytes freed but kept by the allocator in all its heaps (heap_free_MB, of which the pages given
// back since are not resident). Resident memory past what is in use is such freed memory, the
// program's and the libraries' code and data, and the threads' stacks.
// prefix starts the counters' names.
inline void ReportHeap(benchmark::State &state, const std::string &prefix = "heap")
{
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    state.counters[prefix + "_used_MB"] = static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
    state.counters[prefix + "_free_MB"] = static_cast<double>(info.fordblks) / (1024.0 * 1024.0);
#else
    (void)state;
    (void)prefix;
#endif
}

// The main window with the path list open. Two drawings of the same size but different outlines
// are written to files (by the caller, or here); Open shows the first, OpenOther switches.
struct EditorSession {
    std::unique_ptr<mainwindow::DrawGUI> window;
    toolwindows::PathGUI *list = nullptr;
    std::string folder;
    std::string drawingFile;
    std::string otherFile;
    int pathCount = 0;
    bool showingOther = false;

    // Writes the drawings when writeFiles, else expects them written already into folder.
    EditorSession(int count, std::string benchFolder, bool writeFiles) : folder(std::move(benchFolder)), pathCount(count)
    {
        drawingFile = folder + "/drawing" + std::to_string(count) + ".qlk";
        otherFile = folder + "/other" + std::to_string(count) + ".qlk";
        platform::MapLargeBlocksApart();  // as the program does at start-up
        static int argc = 1;
        static char name[] = "editor_bench";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives to the end of the process, as the window does
        platform::SetMessageBoxHook([](const platform::MessageBoxRequest &) { return platform::kMbNo; });
        platform::SetPopupMenuHook([](QMenu *) { return nullptr; });
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        window->resize(kWindowWidth, kWindowHeight);
        QApplication::processEvents();
        window->menus.mnuDispPathGUI->Trigger();
        list = toolwindows::PathListWindow();
        QApplication::processEvents();
        if (writeFiles) {
            WriteEditorDrawing(drawingFile, count, 7);
            WriteEditorDrawing(otherFile, count, 8);
        }
        Open();
    }
    void Open()
    {
        core::OpenDrawingFile(drawingFile);
        QApplication::processEvents();
        showingOther = false;
    }
    // Opens whichever of the two drawings is not shown: nothing of it is cached yet.
    void OpenOther()
    {
        core::OpenDrawingFile(showingOther ? drawingFile : otherFile);
        QApplication::processEvents();
        showingOther = !showingOther;
    }

    QPointF Screen(int32_t xt, int32_t yt) const
    {
        int32_t xs = 0;
        int32_t ys = 0;
        window->PosTwipToScr(xs, ys, xt, yt);
        return QPointF(xs, ys);
    }
    void Down(int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseDown(kLeft, shift, float(p.x()), float(p.y()));
    }
    void Move(int buttons, int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseMove(buttons, shift, float(p.x()), float(p.y()));
    }
    void Up(int shift, int32_t xt, int32_t yt)
    {
        QPointF p = Screen(xt, yt);
        canvastools::Picture1_MouseUp(kLeft, shift, float(p.x()), float(p.y()));
    }
    void Click(int32_t xt, int32_t yt)
    {
        Move(0, 0, xt, yt);
        Down(0, xt, yt);
        Up(0, xt, yt);
    }
    // A point on path i's outline (its first anchor).
    static std::pair<int32_t, int32_t> OnPath(int32_t i)
    {
        const core::AnchorPoint &a = std::as_const(core::Doc().DocPaths).at(static_cast<size_t>(i)).Anchors.at(0);
        return {a.X, a.Y};
    }
    // A point of the visible canvas near no path's outline: the last one found while it stays
    // so. Each search point costs a look at every path, so only the grid points that no
    // segment's box (grown by the reach) covers are searched.
    std::pair<int32_t, int32_t> EmptyPoint()
    {
        auto empty = [](int32_t x, int32_t y) {
            int32_t path = 0, anchor = 0;
            core::FindSegmentNear(x, y, path, anchor);
            return path == 0;
        };
        if (emptyPoint && empty(emptyPoint->first, emptyPoint->second)) {
            return *emptyPoint;
        }
        constexpr int32_t kStart = 200, kEnd = 10000, kStepX = 89, kStepY = 97;
        constexpr int32_t kColumns = (kEnd - kStart + kStepX - 1) / kStepX;
        constexpr int32_t kRows = (kEnd - kStart + kStepY - 1) / kStepY;
        std::vector<char> covered(static_cast<size_t>(kColumns) * kRows, 0);
        const int64_t reach = static_cast<int64_t>(60.0 / core::Doc().ZoomRate) + 2;
        auto cell = [](int64_t v, int32_t step, int32_t count, bool up) {
            int64_t c = up ? (v - kStart + step - 1) / step : (v - kStart) / step;
            if (v < kStart) {
                c = up ? 0 : -1;
            }
            return std::clamp<int64_t>(c, -1, count);
        };
        for (const core::PathRecord &path : std::as_const(core::Doc().DocPaths)) {
            const size_t n = path.Anchors.size();
            for (size_t k = 0; k < n; ++k) {
                const core::AnchorPoint &a = path.Anchors[k];
                const core::AnchorPoint &b = path.Anchors[(k + 1) % n];
                const int64_t c0 = cell(std::min(a.X, b.X) - reach, kStepX, kColumns, true);
                const int64_t c1 = cell(std::max(a.X, b.X) + reach, kStepX, kColumns, false);
                const int64_t r0 = cell(std::min(a.Y, b.Y) - reach, kStepY, kRows, true);
                const int64_t r1 = cell(std::max(a.Y, b.Y) + reach, kStepY, kRows, false);
                for (int64_t r = std::max<int64_t>(r0, 0); r <= std::min<int64_t>(r1, kRows - 1); ++r) {
                    for (int64_t c = std::max<int64_t>(c0, 0); c <= std::min<int64_t>(c1, kColumns - 1); ++c) {
                        covered[static_cast<size_t>(r * kColumns + c)] = 1;
                    }
                }
            }
        }
        for (int32_t r = 0; r < kRows; ++r) {
            for (int32_t c = 0; c < kColumns; ++c) {
                const int32_t x = kStart + c * kStepX;
                const int32_t y = kStart + r * kStepY;
                if (!covered[static_cast<size_t>(r * kColumns + c)] && empty(x, y)) {
                    emptyPoint = {x, y};
                    return *emptyPoint;
                }
            }
        }
        return {0, 0};
    }
    std::optional<std::pair<int32_t, int32_t>> emptyPoint;
    void SelectAll() { window->mnuSelectAllEdit_Click(); }
    // Sets the zoom as the zoom box does when a percentage is typed into it.
    void Zoom(const char *percent)
    {
        window->Combo2->SetText(QString::fromLatin1(percent));
        window->Combo2_Click();
        QApplication::processEvents();
    }
    // Escape drops the selection (a click beside every path may find no empty place in a dense
    // drawing); the path list follows as it does for the user.
    void SelectNone()
    {
        window->Form_KeyUp(platform::kVkEscape, 0);
        QApplication::processEvents();
        const core::PathArray &paths = core::Doc().DocPaths;
        if (std::any_of(paths.begin(), paths.end(), [](const core::PathRecord &path) { return path.blSelected; })) {
            std::abort();  // what the benchmarks time would not be what their names say
        }
    }
    // Presses on path i, with everything selected (all) or nothing, and drags by (dx, 0) without
    // releasing.
    std::pair<int32_t, int32_t> StartMove(bool all, int32_t i, int32_t dx)
    {
        if (all) {
            SelectAll();
        } else {
            SelectNone();
        }
        QApplication::processEvents();
        auto [x, y] = OnPath(i);
        Move(0, 0, x, y);
        Down(0, x, y);
        Move(kLeft, 0, x + dx, y);
        QApplication::processEvents();
        return {x + dx, y};
    }
    std::pair<int32_t, int32_t> StartMoveOfAll(int32_t dx) { return StartMove(true, 1, dx); }
    // Waits, processing events, until the window has given freed memory back after staying idle
    // (as long as that takes in real time, a few seconds at most).
    void WaitForIdleRelease()
    {
        platform::IdleMemoryRelease &release = window->IdleRelease();
        const uint64_t before = release.Releases();
        for (int k = 0; k < 200 && release.Releases() == before && release.Pending(); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            QApplication::processEvents();
        }
    }
    // The whole move of all paths, released: one undo step that changes every path.
    void MoveAll(int32_t dx)
    {
        auto [x, y] = StartMoveOfAll(dx);
        Up(0, x, y);
        QApplication::processEvents();
    }
};

// Process CPU time (all threads: the player renders on several) of the timed parts, reported per
// iteration as cpu_all_ms: on a machine others use too it varies less than the wall-clock time.
class CpuMeter {
public:
    void Start() { start_ = Now(); }
    void Stop() { total_ += Now() - start_; }
    void Report(benchmark::State &state) const
    {
        state.counters["cpu_all_ms"] = benchmark::Counter(total_ * 1e3, benchmark::Counter::kAvgIterations);
    }

private:
    static double Now()
    {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }
    double start_ = 0;
    double total_ = 0;
};

// Pages this process has touched for the first time (or again, after they were given back) so far:
// what memory handed back to the system costs when it is used again.
inline double MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_minflt);
}

// Whether a picture shows the change another (the exact one) shows: each channel of every pixel
// within 2 levels of it, but for at most one pixel in a thousand.
inline bool ShowsTheChange(const QImage &shown, const QImage &exact)
{
    return shown.size() == exact.size() &&
           testsupport::PixelsApart(shown, exact, 2) * 1000 <= int64_t{exact.width()} * exact.height();
}

// Each iteration runs setup untimed (until the canvas shows its exact picture), then action timed
// with the events it leaves processed: what the user waits for before the canvas answers (with a
// preview when the exact picture is drawn on the worker thread). The counter exact_ms adds the
// wait until the exact picture is in place, timed from the action's start; first_drawn_ms the
// wait until the first picture the worker draws is shown (for a scroll, the strips it uncovered;
// the blocking time when the worker draws nothing); shown_ms the wait until the canvas shows
// the change (ShowsTheChange): the blocking time when the preview does, else first_drawn_ms.
// page_faults counts the pages the timed part touched anew.
template <typename Setup, typename Action>
void RunInteraction(benchmark::State &state, EditorSession &s, Setup setup, Action action)
{
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point start) {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    auto canvas = [&s] { return s.window->Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    CpuMeter cpu;
    double exactMs = 0;
    double firstDrawnMs = 0;
    double shownMs = 0;
    double faults = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setup();
        QApplication::processEvents();
        s.window->FinishPendingRender();
        QApplication::processEvents();
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        cpu.Start();
        const double faultsBefore = MinorFaults();
        action();
        QApplication::processEvents();
        faults += MinorFaults() - faultsBefore;
        cpu.Stop();
        state.PauseTiming();
        const double blockedMs = since(start);
        // The picture shown is looked at outside the times (the worker draws meanwhile): while
        // the worker's picture is still to be taken, it is the preview.
        const bool drawing = s.window->ShockwaveFlash1.RenderPending();
        const Clock::time_point looking = Clock::now();
        const QImage preview = canvas();
        const double lookedMs = since(looking);
        const bool previewed = s.window->ShockwaveFlash1.RenderPending();
        if (previewed) {
            s.window->ShockwaveFlash1.FinishPendingRender();
            QApplication::processEvents();
        }
        const double firstDrawn = previewed  ? std::max(blockedMs, since(start) - lookedMs)
                                  : drawing ? blockedMs + lookedMs
                                            : blockedMs;
        s.window->FinishPendingRender();
        QApplication::processEvents();
        exactMs += std::max(firstDrawn, since(start) - lookedMs);
        firstDrawnMs += firstDrawn;
        shownMs += previewed && ShowsTheChange(preview, canvas()) ? blockedMs : firstDrawn;
        state.ResumeTiming();
    }
    cpu.Report(state);
    state.counters["page_faults"] = benchmark::Counter(faults, benchmark::Counter::kAvgIterations);
    state.counters["exact_ms"] = benchmark::Counter(exactMs, benchmark::Counter::kAvgIterations);
    state.counters["first_drawn_ms"] = benchmark::Counter(firstDrawnMs, benchmark::Counter::kAvgIterations);
    state.counters["shown_ms"] = benchmark::Counter(shownMs, benchmark::Counter::kAvgIterations);
}

// The timed editor interactions, the same at every drawing size.
inline void RunOpenToFirstDisplay(benchmark::State &state, EditorSession &s)
{
    RunInteraction(state, s, [] {}, [&] { s.OpenOther(); });
}

inline void RunSelectAll(benchmark::State &state, EditorSession &s)
{
    RunInteraction(state, s, [&] { s.SelectNone(); }, [&] { s.SelectAll(); });
}

// Mouse release after dragging every path (all) or one from the middle of the drawing: the move
// is committed.
inline void RunMoveRelease(benchmark::State &state, EditorSession &s, bool all)
{
    int32_t dx = 40;
    std::pair<int32_t, int32_t> release;
    RunInteraction(
        state, s,
        [&] {
            release = s.StartMove(all, all ? 1 : s.pathCount / 2, dx);
            dx = -dx;
        },
        [&] { s.Up(0, release.first, release.second); });
}

inline void RunMoveCommit(benchmark::State &state, EditorSession &s)
{
    RunMoveRelease(state, s, true);
}

inline void RunMoveOneCommit(benchmark::State &state, EditorSession &s)
{
    RunMoveRelease(state, s, false);
}

// Undo of the move of one path from the middle of the drawing.
inline void RunUndoMoveOne(benchmark::State &state, EditorSession &s)
{
    int32_t dx = 40;
    RunInteraction(
        state, s,
        [&] {
            auto [x, y] = s.StartMove(false, s.pathCount / 2, dx);
            s.Up(0, x, y);
            QApplication::processEvents();
        },
        [&] { s.window->mnuUnDo_Click(); });
}

// Undo of a move of every path, or (redo) its redo right after the undo.
inline void RunHistoryOfMove(benchmark::State &state, EditorSession &s, bool redo)
{
    int32_t dx = 40;
    RunInteraction(
        state, s,
        [&] {
            s.MoveAll(dx);
            dx = -dx;
            if (redo) {
                s.window->mnuUnDo_Click();
            }
        },
        [&] { redo ? s.window->mnuReDo_Click() : s.window->mnuUnDo_Click(); });
}

inline void RunUndoMove(benchmark::State &state, EditorSession &s)
{
    RunHistoryOfMove(state, s, false);
}

inline void RunRedoMove(benchmark::State &state, EditorSession &s)
{
    RunHistoryOfMove(state, s, true);
}

// One mouse move of the select tool's move drag with every path selected.
inline void RunDragStep(benchmark::State &state, EditorSession &s)
{
    auto [x, y] = s.StartMoveOfAll(20);
    int32_t dx = 0;
    RunInteraction(state, s, [] {}, [&] {
        dx += 20;
        s.Move(kLeft, 0, x + dx, y);
    });
    s.Up(0, x + dx, y);
    QApplication::processEvents();
}

// The colour palette's click with every path selected: a new fill colour for all.
// A fill colour far from the one before it (so that the old colours never pass for the new),
// and new at each step.
inline uint32_t NextFillColour(uint32_t &step)
{
    ++step;
    return 0xFF000000u | (step % 2 == 0 ? 0x0000E0u : 0xE00000u) | (step & 0x3Fu) << 8;
}

inline void RunRecolourSelection(benchmark::State &state, EditorSession &s)
{
    s.SelectAll();
    uint32_t step = 0;
    RunInteraction(state, s, [] {}, [&] {
        canvastools::Input().CurrentColors[0] = NextFillColour(step);
        s.window->PicColor_MouseDown(kLeft, 0, 1, 1);
    });
}

// Deleting the selection, here every path; each deletion is undone (untimed) before the next.
inline void RunDeleteSelection(benchmark::State &state, EditorSession &s)
{
    bool deleted = false;
    RunInteraction(
        state, s,
        [&] {
            if (deleted) {
                s.window->mnuUnDo_Click();
            }
            s.SelectAll();
        },
        [&] {
            s.window->mnuDeletePathEdit_Click();
            deleted = true;
        });
    s.window->mnuUnDo_Click();
    QApplication::processEvents();
}

// Deleting one path from the middle; each deletion is undone (untimed) before the next.
inline void RunDeleteOnePath(benchmark::State &state, EditorSession &s)
{
    bool deleted = false;
    RunInteraction(
        state, s,
        [&] {
            if (deleted) {
                s.window->mnuUnDo_Click();
            }
            s.SelectNone();
            core::Doc().DocPaths[static_cast<size_t>(s.pathCount / 2)].blSelected = true;
        },
        [&] {
            s.window->mnuDeletePathEdit_Click();
            deleted = true;
        });
    s.window->mnuUnDo_Click();
    QApplication::processEvents();
}

// A whole move of path i (press, drag, release) after the window stayed idle (afterRelease: long
// enough to give freed memory back) or right after the last exact picture.
inline void RunFirstMoveOne(benchmark::State &state, EditorSession &s, bool afterRelease)
{
    int32_t dx = 40;
    RunInteraction(
        state, s,
        [&] {
            s.SelectNone();
            s.window->FinishPendingRender();
            if (afterRelease) {
                s.WaitForIdleRelease();
            }
        },
        [&] {
            auto [x, y] = EditorSession::OnPath(s.pathCount / 2);
            s.Move(0, 0, x, y);
            s.Down(0, x, y);
            s.Move(kLeft, 0, x + dx, y);
            s.Up(0, x + dx, y);
            dx = -dx;
        });
}

// A new fill colour for every path after the window stayed idle, as above.
inline void RunFirstRecolour(benchmark::State &state, EditorSession &s, bool afterRelease)
{
    s.SelectAll();
    uint32_t step = 1;
    RunInteraction(
        state, s,
        [&] {
            s.window->FinishPendingRender();
            if (afterRelease) {
                s.WaitForIdleRelease();
            }
        },
        [&] {
            canvastools::Input().CurrentColors[0] = NextFillColour(step);
            s.window->PicColor_MouseDown(kLeft, 0, 1, 1);
        });
}

// A click on the vertical scroll bar's arrow (or beside its thumb: page) at a zoom, down and up
// in turn.
inline void RunScrollStep(benchmark::State &state, EditorSession &s, const char *zoom, bool page)
{
    s.Zoom(zoom);
    s.SelectNone();
    bool down = false;
    RunInteraction(state, s, [] {}, [&] {
        down = !down;
        s.window->VScroll1->triggerAction(page ? (down ? QAbstractSlider::SliderPageStepAdd
                                                       : QAbstractSlider::SliderPageStepSub)
                                               : (down ? QAbstractSlider::SliderSingleStepAdd
                                                       : QAbstractSlider::SliderSingleStepSub));
    });
    s.Zoom("100%");
}

// A zoom typed into the zoom box: from 100 % to 400 % (in) or back (out).
inline void RunZoomStep(benchmark::State &state, EditorSession &s, bool in)
{
    s.SelectNone();
    RunInteraction(state, s, [&] { s.Zoom(in ? "100%" : "400%"); }, [&] { s.Zoom(in ? "400%" : "100%"); });
    s.Zoom("100%");
}

// The undo of a new fill colour for every path.
inline void RunUndoRecolour(benchmark::State &state, EditorSession &s)
{
    uint32_t step = 2;
    RunInteraction(
        state, s,
        [&] {
            s.SelectAll();
            canvastools::Input().CurrentColors[0] = NextFillColour(step);
            s.window->PicColor_MouseDown(kLeft, 0, 1, 1);
        },
        [&] { s.window->mnuUnDo_Click(); });
}

// One path from the middle brought one step forward; each is undone (untimed) before the next.
inline void RunForwardOnePath(benchmark::State &state, EditorSession &s)
{
    bool moved = false;
    RunInteraction(
        state, s,
        [&] {
            if (moved) {
                s.window->mnuUnDo_Click();
            }
            s.SelectNone();
            core::Doc().DocPaths[static_cast<size_t>(s.pathCount / 2)].blSelected = true;
        },
        [&] {
            // The selection pop-up's command, then the canvas redrawn as the pop-up's end does.
            s.window->menus.mnuFrontPathOne->Trigger();
            movie::MakeCanvasMovie();
            s.window->DispShape(1);
            moved = true;
        });
}

// Five presses of the right arrow key with every path selected, queued as a key held down
// queues them, then handled together.
inline void RunFiveNudges(benchmark::State &state, EditorSession &s)
{
    s.SelectAll();
    RunInteraction(state, s, [] {}, [&] {
        for (int i = 0; i < 5; ++i) {
            QApplication::postEvent(s.window->Picture1, new QKeyEvent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier,
                                                                      QString(), i > 0));
        }
    });
}

// The session of a drawing of count paths, made on first use, whose drawings a child process
// writes (so that the peak memory measured is the editor's own) into a folder removed at exit.
template <int count>
EditorSession &SessionWrittenInChild()
{
    static EditorSession *session = [] {
        std::string folder = MakeBenchFolder();
        WriteEditorDrawingsInChild(folder, count);
        auto *made = new EditorSession(count, folder, false);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(SessionWrittenInChild<count>().folder, ignored);
        });
        return made;
    }();
    return *session;
}

// Registers the interactions the targets name, in this order, on the session the function gives:
// each runs `iterations` times, the drag step `dragIterations` times and opening `openIterations`.
// Times are wall-clock milliseconds.
inline bool RegisterTargetBenchmarks(EditorSession &(*session)(), int iterations, int dragIterations,
                                     int openIterations)
{
    using Run = void (*)(benchmark::State &, EditorSession &);
    const struct {
        const char *name;
        Run run;
        int iterations;
    } targets[] = {
        {"BM_OpenToFirstDisplay", RunOpenToFirstDisplay, openIterations},
        {"BM_SelectAll", RunSelectAll, iterations},
        {"BM_MoveOneCommit", RunMoveOneCommit, iterations},
        {"BM_UndoMoveOne", RunUndoMoveOne, iterations},
        {"BM_MoveCommit", RunMoveCommit, iterations},
        {"BM_UndoMove", RunUndoMove, iterations},
        {"BM_RedoMove", RunRedoMove, iterations},
        {"BM_DragSelectionMove", RunDragStep, dragIterations},
        {"BM_ColourOfSelection", RunRecolourSelection, iterations},
        {"BM_DeleteSelection", RunDeleteSelection, iterations},
        {"BM_DeleteOnePath", RunDeleteOnePath, iterations},
        {"BM_MoveOneRightAfterExact", [](benchmark::State &st, EditorSession &s) { RunFirstMoveOne(st, s, false); },
         iterations},
        {"BM_MoveOneAfterIdleRelease", [](benchmark::State &st, EditorSession &s) { RunFirstMoveOne(st, s, true); },
         iterations},
        {"BM_ColourRightAfterExact", [](benchmark::State &st, EditorSession &s) { RunFirstRecolour(st, s, false); },
         iterations},
        {"BM_ColourAfterIdleRelease", [](benchmark::State &st, EditorSession &s) { RunFirstRecolour(st, s, true); },
         iterations},
        {"BM_UndoColourOfSelection", RunUndoRecolour, iterations},
        {"BM_ForwardOnePath", RunForwardOnePath, iterations},
        {"BM_FiveQuickNudges", RunFiveNudges, iterations},
        {"BM_ScrollStepAt100", [](benchmark::State &st, EditorSession &s) { RunScrollStep(st, s, "100%", false); },
         iterations},
        {"BM_ScrollStepAt400", [](benchmark::State &st, EditorSession &s) { RunScrollStep(st, s, "400%", false); },
         iterations},
        {"BM_PageScroll", [](benchmark::State &st, EditorSession &s) { RunScrollStep(st, s, "100%", true); },
         iterations},
        {"BM_ZoomIn", [](benchmark::State &st, EditorSession &s) { RunZoomStep(st, s, true); }, iterations},
        {"BM_ZoomOut", [](benchmark::State &st, EditorSession &s) { RunZoomStep(st, s, false); }, iterations},
    };
    for (const auto &target : targets) {
        benchmark::RegisterBenchmark(target.name,
                                     [run = target.run, session](benchmark::State &state) { run(state, session()); })
            ->Iterations(target.iterations)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}

}  // namespace benchsupport
