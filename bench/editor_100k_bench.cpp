// The editor's interactions on a drawing of 100,000 paths (the same generator as the 10,000-path
// benchmark) with the path list open, and the memory it takes: the peak for opening and showing
// it, and what each undo step adds. Times are wall-clock milliseconds per interaction.
#include "bench/editor_session.h"

namespace {

using benchsupport::EditorSession;

constexpr int kPathCount = 100000;

EditorSession &S()
{
    return benchsupport::SessionWrittenInChild<kPathCount>();
}

// Peak resident memory after starting the window, opening the drawing and showing it.
void BM_PeakMemoryOpenAndShow(benchmark::State &state)
{
    for (auto _ : state) {
        S();
    }
    state.counters["peak_MB"] = benchsupport::PeakMegabytes();
}

// Resident memory each committed move of every path adds (history included, below its depth),
// over three moves after a first one; and the peak so far. The bytes the undo history holds are
// counted after the interactions before and after these steps.
void BM_MemoryPerMoveStep(benchmark::State &state)
{
    EditorSession &s = S();
    // What the history holds after the session of the interactions before.
    state.counters["session_history_MB"] = benchsupport::HistoryMegabytes();
    s.Open();
    int32_t dx = 40;
    s.MoveAll(dx);
    dx = -dx;
    double before = benchsupport::ResidentMegabytes();
    constexpr int kSteps = 3;
    for (auto _ : state) {
        for (int k = 0; k < kSteps; ++k) {
            s.MoveAll(dx);
            dx = -dx;
        }
    }
    state.counters["MB_per_move_step"] = (benchsupport::ResidentMegabytes() - before) / kSteps;
    // Steps that change one path: a new fill colour for path 1 alone.
    s.SelectNone();
    core::Doc().DocPaths[1].blSelected = true;
    before = benchsupport::ResidentMegabytes();
    for (int k = 0; k < kSteps; ++k) {
        canvastools::Input().CurrentColors[0] = 0xFF000000u | static_cast<uint32_t>(0x123456 + k);
        s.window->PicColor_MouseDown(benchsupport::kLeft, 0, 1, 1);
        QApplication::processEvents();
    }
    state.counters["MB_per_one_path_step"] = (benchsupport::ResidentMegabytes() - before) / kSteps;
    // Resident once the window is idle: the path list's thumbnail, made on a worker, is finished.
    state.counters["resident_busy_MB"] = benchsupport::ResidentMegabytes();
    s.list->FlushThumbnail();
    s.window->FinishPendingRender();
    QApplication::processEvents();
    state.counters["resident_MB"] = benchsupport::ResidentMegabytes();
    state.counters["peak_MB"] = benchsupport::PeakMegabytes();
    state.counters["history_MB"] = benchsupport::HistoryMegabytes();
    benchsupport::ReportHeap(state);
    // Once the window has stayed idle long enough to give freed memory back.
    s.WaitForIdleRelease();
    state.counters["resident_idle_MB"] = benchsupport::ResidentMegabytes();
    benchsupport::ReportHeap(state, "idle_heap");
}

#define EDITOR_BENCH(name, n) BENCHMARK(name)->Iterations(n)->Unit(benchmark::kMillisecond)->UseRealTime()

EDITOR_BENCH(BM_PeakMemoryOpenAndShow, 1);
const bool kTargetsRegistered = benchsupport::RegisterTargetBenchmarks(S, 2, 5, 2);
EDITOR_BENCH(BM_MemoryPerMoveStep, 1);

}  // namespace
