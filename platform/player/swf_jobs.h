// Work cut into numbered jobs that the global thread pool and the calling thread share (internal
// to the player).
#pragma once

#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>

namespace platform::swf {

// Runs job(0) .. job(count - 1) on the global pool and the calling thread, each job once, and
// returns when all are done. Every thread takes the next job left, so a thread slowed by other
// work does not hold the others up; jobs no pool thread is free for are done here. The first
// exception a job throws is thrown here once all are done; the jobs not started by then are
// skipped.
template <typename Job>
void RunJobs(int count, const Job &job)
{
    std::atomic<int> next{0};
    std::mutex failedLock;
    std::exception_ptr failed;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(failedLock);
                if (!failed) {
                    failed = std::current_exception();
                }
                next = count;
            }
        }
    };
    QThreadPool *pool = QThreadPool::globalInstance();
    QSemaphore done;
    int started = 0;
    for (int helpers = std::min(count, pool->maxThreadCount()) - 1; started < helpers; ++started) {
        if (!pool->tryStart([&work, &done] {
                work();
                done.release();
            })) {
            break;
        }
    }
    work();
    done.acquire(started);
    if (failed) {
        std::rethrow_exception(failed);
    }
}

}  // namespace platform::swf
