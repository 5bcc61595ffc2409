// What the user does with a drawing of 10,000 paths (20 anchors each, mixed fills, gradients,
// groups and compounds) in the main window with the path list open: opening another drawing,
// selecting, moving the selection and undoing it, the path list, colour, delete, zoom, saving and
// picture export. Each interaction runs through the window's own handlers, offscreen; times are
// wall-clock milliseconds per interaction.
#include "bench/editor_session.h"

#include <QListView>
#include <QScrollBar>

namespace {

using benchsupport::EditorSession;
using benchsupport::kLeft;

constexpr int kPathCount = 10000;

// Made on first use and never destroyed: the window and the application stay up until the
// process ends; only the private folder is removed then.
EditorSession &S()
{
    static EditorSession *session = [] {
        auto *made = new EditorSession(kPathCount, benchsupport::MakeBenchFolder(), true);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(S().folder, ignored);
        });
        return made;
    }();
    return *session;
}

void BM_ClickSelectsOnePath(benchmark::State &state)
{
    EditorSession &s = S();
    s.SelectAll();
    int32_t i = 1;
    for (auto _ : state) {
        auto [x, y] = EditorSession::OnPath(i);
        s.Click(x, y);
        QApplication::processEvents();
        i = i % kPathCount + 37;
    }
}

void BM_BandSelect(benchmark::State &state)
{
    EditorSession &s = S();
    auto [x, y] = s.EmptyPoint();
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
void BM_RecordHistory(benchmark::State &state)
{
    S();
    for (auto _ : state) {
        core::RecordHistory();
    }
}

void BM_PathListRefreshList(benchmark::State &state)
{
    EditorSession &s = S();
    for (auto _ : state) {
        s.list->RefreshList();
        QApplication::processEvents();
    }
}

void BM_PathListRefreshSelect(benchmark::State &state)
{
    EditorSession &s = S();
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
    EditorSession &s = S();
    QScrollBar *bar = s.list->List1->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + bar->pageStep()) % std::max(1, bar->maximum());
        bar->setValue(value);
        s.list->List1->viewport()->repaint();
    }
}

void BM_Zoom(benchmark::State &state)
{
    EditorSession &s = S();
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
    EditorSession &s = S();
    const std::string file = s.folder + "/saved10k.qlk";
    for (auto _ : state) {
        core::SaveDrawingFile(file);
    }
}

void BM_PictureExport(benchmark::State &state)
{
    EditorSession &s = S();
    const std::string file = s.folder + "/export10k.png";
    for (auto _ : state) {
        s.window->RenderExportPicture(file);
    }
}

#define EDITOR_BENCH(name, n) BENCHMARK(name)->Iterations(n)->Unit(benchmark::kMillisecond)->UseRealTime()

const bool kTargetsRegistered = benchsupport::RegisterTargetBenchmarks(S, 5, 50, 4);
EDITOR_BENCH(BM_ClickSelectsOnePath, 10);
EDITOR_BENCH(BM_BandSelect, 5);
EDITOR_BENCH(BM_RecordHistory, 10);
EDITOR_BENCH(BM_PathListRefreshList, 5);
EDITOR_BENCH(BM_PathListRefreshSelect, 6);
EDITOR_BENCH(BM_PathListScroll, 20);
EDITOR_BENCH(BM_Zoom, 4);
EDITOR_BENCH(BM_Save, 3);
EDITOR_BENCH(BM_PictureExport, 2);

}  // namespace
