// The editor's interactions on a drawing of 300,000 paths (the same generator as the smaller
// editor benchmarks) with the path list open, once each: one path moved, a scroll step and a
// drag step of everything are what this size is measured by. Times are wall-clock milliseconds.
#include "bench/editor_session.h"

namespace {

benchsupport::EditorSession &S()
{
    return benchsupport::SessionWrittenInChild<300000>();
}

const bool kTargetsRegistered = benchsupport::RegisterTargetBenchmarks(S, 1, 3, 1);

}  // namespace
