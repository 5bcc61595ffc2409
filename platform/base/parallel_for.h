// Work cut into numbered jobs that the shared worker threads (Qt's global thread pool) and the
// calling thread do together. Every thread of the program that works in parallel comes through
// here or through a job lane (platform/base/background_job.h).
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// The number of processors the parallel work is sized by (at least 1).
size_t ProcessorCount();

// Runs job(0) .. job(count - 1), each once, on the shared worker threads and the calling thread,
// and returns when all are done. Every thread takes the next job left, so a thread slowed by
// other work does not hold the others up; the calling thread works through the jobs too, so the
// jobs no worker is free for (or starts for) are done here and a job may itself run a ParallelFor.
// The first exception a job throws is thrown here once all are done; the jobs not started by then
// are skipped. Called from any thread.
void ParallelFor(size_t count, const std::function<void(size_t)> &job);

// How many contiguous parts RunInParts cuts count items into: one per processor (at most eight),
// each part holding at least minPerPart items; 1 when the range is too small to pay for threads.
size_t PartCount(size_t count, size_t minPerPart);

// Runs work(part, begin, end) for each part of [0, count) (PartCount parts, in order of begin) as
// the jobs of a ParallelFor. Returns the number of parts.
size_t RunInParts(size_t count, size_t minPerPart, const std::function<void(size_t, size_t, size_t)> &work);

// From now on a ParallelFor called on this thread starts no worker and does every job itself: a
// thread that yields to the rest of the program (a background thumbnail) keeps its work to itself
// instead of taking the shared workers from the canvas.
void WorkAloneOnThisThread();

// While refused, ParallelFor starts no worker: every job is done on the calling thread, as when
// no worker thread can be had.
void RefuseWorkerThreadsForTest(bool refused);

}  // namespace platform
