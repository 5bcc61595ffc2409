// What the user does with a drawing of 10,000 paths (20 anchors each, mixed fills, gradients,
// groups and compounds) in the main window: opening it, selecting, dragging the selection, undo,
// the path list, colour, delete, zoom, saving and picture export. Each interaction runs through
// the window's own handlers, offscreen; times are wall-clock milliseconds per interaction.
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
#include "platform/base/program_folder.h"
#include "platform/forms/menus.h"
#include "platform/forms/message_box.h"
#include "toolwindows/path_list_window.h"

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

constexpr int kPathCount = 10000;
constexpr int kCanvas = 1638;  // pixels
constexpr int kLeft = 1;

// Closed rounded outlines spread over the canvas; fills cycle through none, solid and the three
// gradients; every 40th path starts a group of 5, every 40th (offset 20) a compound of 2.
core::PathArray MakePaths()
{
    core::PathArray paths(1);
    std::mt19937 random(7);
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFF);
    for (int i = 0; i < kPathCount; ++i) {
        core::PathRecord path = benchsupport::RoundedOutline(random, kCanvas, i);
        path.FillType = static_cast<int16_t>(i % 5);
        path.FillColor = 0xFF000000u | colour(random);
        path.GradColor = 0xFF000000u | colour(random);
        if (i % 40 < 5) {
            path.blGroup = true;
            path.GroupID = i / 40 + 1;
        } else if (i % 40 >= 20 && i % 40 < 22) {
            path.blCompound = true;
            path.CompoundID = i / 40 + 1;
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

// One offscreen main window over a private program folder, the path list open, and the drawing
// file written once.
struct Session {
    std::unique_ptr<mainwindow::DrawGUI> window;
    toolwindows::PathGUI *list = nullptr;
    std::string drawingFile;
    std::string folder;

    Session()
    {
        folder = (std::filesystem::temp_directory_path() / "quillark-bench-XXXXXX").string();
        if (!mkdtemp(folder.data())) {
            std::abort();
        }
        setenv("QUILLARK_HOME", folder.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "editor_10k_bench";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives to the end of the process, as the window does
        platform::SetMessageBoxHook([](const platform::MessageBoxRequest &) { return platform::kMbNo; });
        platform::SetPopupMenuHook([](QMenu *) { return nullptr; });
        window = std::make_unique<mainwindow::DrawGUI>();
        window->Form_Load(QString());
        window->resize(1000, 800);
        QApplication::processEvents();
        window->menus.mnuDispPathGUI->Trigger();
        list = toolwindows::PathListWindow();
        QApplication::processEvents();

        core::CanvasSettings settings = core::Doc().CurrentSettings;
        settings.Width = kCanvas;
        settings.Height = kCanvas;
        settings.Quality = 2;
        drawingFile = folder + "/drawing10k.qlk";
        std::string message;
        core::PathArray paths = MakePaths();
        if (!core::WriteDrawingFile(drawingFile, paths, kPathCount, settings, message)) {
            std::abort();
        }
        Open();
    }
    void Open()
    {
        core::OpenDrawingFile(drawingFile);
        QApplication::processEvents();
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
        const core::AnchorPoint &a = core::Doc().DocPaths.at(static_cast<size_t>(i)).Anchors.at(0);
        return {a.X, a.Y};
    }
    // A point of the visible canvas near no path's outline.
    static std::pair<int32_t, int32_t> EmptyPoint()
    {
        for (int32_t y = 200; y < 10000; y += 97) {
            for (int32_t x = 200; x < 10000; x += 89) {
                int32_t path = 0, anchor = 0;
                core::FindSegmentNear(x, y, path, anchor);
                if (path == 0) {
                    return {x, y};
                }
            }
        }
        return {0, 0};
    }
    void SelectAll() { window->mnuSelectAllEdit_Click(); }
    void SelectNone()
    {
        auto [x, y] = EmptyPoint();
        Click(x, y);
    }
};

// Made on first use and never destroyed: the window and the application stay up until the
// process ends; only the private folder is removed then.
Session &S()
{
    static Session *session = [] {
        auto *made = new Session;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(S().folder, ignored);
        });
        return made;
    }();
    return *session;
}

void BM_OpenToFirstDisplay(benchmark::State &state)
{
    Session &s = S();
    for (auto _ : state) {
        s.Open();
    }
}

void BM_SelectAll(benchmark::State &state)
{
    Session &s = S();
    for (auto _ : state) {
        state.PauseTiming();
        s.SelectNone();
        state.ResumeTiming();
        s.SelectAll();
        QApplication::processEvents();
    }
}

void BM_ClickSelectsOnePath(benchmark::State &state)
{
    Session &s = S();
    s.SelectAll();
    int32_t i = 1;
    for (auto _ : state) {
        auto [x, y] = Session::OnPath(i);
        s.Click(x, y);
        QApplication::processEvents();
        i = i % kPathCount + 37;
    }
}

void BM_BandSelect(benchmark::State &state)
{
    Session &s = S();
    auto [x, y] = Session::EmptyPoint();
    for (auto _ : state) {
        s.Move(0, 0, x, y);
        s.Down(0, x, y);
        for (int step = 1; step <= 4; ++step) {
            s.Move(kLeft, 0, x + step * 1500, y + step * 1500);
        }
        s.Up(0, x + 6000, y + 6000);
        QApplication::processEvents();
    }
    state.counters["per_interaction_steps"] = 6;
}

// Each iteration is one mouse move of the select tool's move drag with every path selected.
void BM_DragSelectionMove(benchmark::State &state)
{
    Session &s = S();
    s.SelectAll();
    auto [x, y] = Session::OnPath(1);
    s.Move(0, 0, x, y);
    s.Down(0, x, y);
    int32_t dx = 0;
    for (auto _ : state) {
        dx += 20;
        s.Move(kLeft, 0, x + dx, y);
        QApplication::processEvents();
    }
    s.Up(0, x + dx, y);
    QApplication::processEvents();
}

void BM_RecordHistory(benchmark::State &state)
{
    S();
    for (auto _ : state) {
        core::RecordHistory();
    }
}

void BM_UndoRedo(benchmark::State &state)
{
    Session &s = S();
    core::RecordHistory();
    for (auto _ : state) {
        s.window->mnuUnDo_Click();
        s.window->mnuReDo_Click();
        QApplication::processEvents();
    }
    state.counters["per_interaction_steps"] = 2;
}

void BM_PathListRefreshList(benchmark::State &state)
{
    Session &s = S();
    for (auto _ : state) {
        s.list->RefreshList();
        QApplication::processEvents();
    }
}

void BM_PathListRefreshSelect(benchmark::State &state)
{
    Session &s = S();
    bool all = false;
    for (auto _ : state) {
        state.PauseTiming();
        all = !all;
        for (core::PathRecord &path : core::Doc().DocPaths) {
            path.blSelected = all;
        }
        state.ResumeTiming();
        s.list->RefreshSelect();
        QApplication::processEvents();
    }
}

void BM_PathListScroll(benchmark::State &state)
{
    Session &s = S();
    QScrollBar *bar = s.list->List1->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + bar->pageStep()) % std::max(1, bar->maximum());
        bar->setValue(value);
        s.list->List1->viewport()->repaint();
    }
}

void BM_ColourOfSelection(benchmark::State &state)
{
    Session &s = S();
    s.SelectAll();
    uint32_t colour = 0x10;
    for (auto _ : state) {
        canvastools::Input().CurrentColors[0] = 0xFF000000u | colour++;
        s.window->PicColor_MouseDown(kLeft, 0, 1, 1);
        QApplication::processEvents();
    }
}

void BM_DeleteOnePath(benchmark::State &state)
{
    Session &s = S();
    for (auto _ : state) {
        state.PauseTiming();
        s.SelectNone();
        core::Doc().DocPaths[5000].blSelected = true;
        state.ResumeTiming();
        s.window->mnuDeletePathEdit_Click();
        QApplication::processEvents();
        state.PauseTiming();
        s.window->mnuUnDo_Click();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_Zoom(benchmark::State &state)
{
    Session &s = S();
    bool in = false;
    for (auto _ : state) {
        in = !in;
        s.window->Combo2->SetText(in ? QStringLiteral("50%") : QStringLiteral("100%"));
        s.window->Combo2_Click();
        QApplication::processEvents();
    }
}

void BM_Save(benchmark::State &state)
{
    Session &s = S();
    const std::string file = s.folder + "/saved10k.qlk";
    for (auto _ : state) {
        core::SaveDrawingFile(file);
    }
}

void BM_PictureExport(benchmark::State &state)
{
    Session &s = S();
    const std::string file = s.folder + "/export10k.png";
    for (auto _ : state) {
        s.window->RenderExportPicture(file);
    }
}

#define EDITOR_BENCH(name, n) BENCHMARK(name)->Iterations(n)->Unit(benchmark::kMillisecond)->UseRealTime()

EDITOR_BENCH(BM_OpenToFirstDisplay, 3);
EDITOR_BENCH(BM_SelectAll, 5);
EDITOR_BENCH(BM_ClickSelectsOnePath, 10);
EDITOR_BENCH(BM_BandSelect, 5);
EDITOR_BENCH(BM_DragSelectionMove, 50);
EDITOR_BENCH(BM_RecordHistory, 10);
EDITOR_BENCH(BM_UndoRedo, 5);
EDITOR_BENCH(BM_PathListRefreshList, 5);
EDITOR_BENCH(BM_PathListRefreshSelect, 6);
EDITOR_BENCH(BM_PathListScroll, 20);
EDITOR_BENCH(BM_ColourOfSelection, 5);
EDITOR_BENCH(BM_DeleteOnePath, 5);
EDITOR_BENCH(BM_Zoom, 4);
EDITOR_BENCH(BM_Save, 3);
EDITOR_BENCH(BM_PictureExport, 2);

}  // namespace
