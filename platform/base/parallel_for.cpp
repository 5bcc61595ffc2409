#include "platform/base/parallel_for.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace platform {
namespace {

constexpr size_t kMostParts = 8;

std::atomic<bool> workersRefused{false};
thread_local bool workingAlone = false;  // see WorkAloneOnThisThread

// The jobs of one ParallelFor, shared with the workers taking part: a worker that starts once
// every job is taken may still look at them after the caller has returned.
struct Jobs {
    size_t count = 0;
    const std::function<void(size_t)> *job = nullptr;  // called only for jobs taken, which the caller waits for
    std::atomic<size_t> next{0};
    std::atomic<size_t> finished{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::condition_variable allFinished;
    std::exception_ptr failure;  // the first; under mutex

    // Takes and does jobs until none is left; once one has failed, the jobs taken are skipped.
    void Work()
    {
        for (size_t i = next++; i < count; i = next++) {
            if (!failed.load()) {
                try {
                    (*job)(i);
                } catch (...) {
                    std::lock_guard<std::mutex> lock(mutex);
                    if (!failure) {
                        failure = std::current_exception();
                    }
                    failed = true;
                }
            }
            if (finished.fetch_add(1) + 1 == count) {
                std::lock_guard<std::mutex> lock(mutex);
                allFinished.notify_all();
            }
        }
    }

    void WaitAllFinished()
    {
        std::unique_lock<std::mutex> lock(mutex);
        allFinished.wait(lock, [this] { return finished.load() == count; });
    }
};

// A worker of the global pool working through jobs. The pool hands it over to its thread under
// a lock of its own, which ThreadSanitizer does not see (Qt is not instrumented): the hand-over
// is told to it, from everything done before the worker was started to its run.
class Worker : public QRunnable {
public:
    explicit Worker(std::shared_ptr<Jobs> jobs) : jobs_(std::move(jobs)) {}
    void run() override
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_acquire(this);
#endif
        jobs_->Work();
    }
    void HandOver()
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_release(this);
#endif
    }

private:
    std::shared_ptr<Jobs> jobs_;
};

// Starts helpers workers on the global pool. Those it has no thread free for wait in its queue
// and join in once a thread comes free (the others busy with work the window's thread started,
// say), instead of leaving every job to the caller; one that starts after every job is taken
// only finds none left. The caller never waits for a worker that took no job.
void StartWorkers(const std::shared_ptr<Jobs> &jobs, size_t helpers)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    for (size_t started = 0; started < helpers; ++started) {
        try {
            auto worker = std::make_unique<Worker>(jobs);
            worker->HandOver();
            pool->start(worker.get());
            worker.release();  // the pool's now: deleted once run
        } catch (const std::system_error &) {
            return;  // no thread to be had: the caller does the jobs left
        }
    }
}

}  // namespace

void WorkAloneOnThisThread()
{
    workingAlone = true;
}

size_t ProcessorCount()
{
    return std::max<size_t>(std::thread::hardware_concurrency(), 1);
}

void ParallelFor(size_t count, const std::function<void(size_t)> &job)
{
    if (count == 1) {
        job(0);
        return;
    }
    if (count == 0) {
        return;
    }
    auto jobs = std::make_shared<Jobs>();
    jobs->count = count;
    jobs->job = &job;
    if (!workersRefused.load() && !workingAlone) {
        const size_t threads = static_cast<size_t>(std::max(QThreadPool::globalInstance()->maxThreadCount(), 1));
        StartWorkers(jobs, std::min(count, threads) - 1);
    }
    jobs->Work();
    jobs->WaitAllFinished();
    // Taken out of the jobs, which a worker may let go last: the exception ends on this thread.
    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> lock(jobs->mutex);
        failure = std::move(jobs->failure);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

size_t PartCount(size_t count, size_t minPerPart)
{
    const size_t most = std::min(ProcessorCount(), kMostParts);
    return std::clamp<size_t>(count / std::max<size_t>(minPerPart, 1), 1, most);
}

size_t RunInParts(size_t count, size_t minPerPart, const std::function<void(size_t, size_t, size_t)> &work)
{
    const size_t parts = PartCount(count, minPerPart);
    auto begin = [count, parts](size_t part) { return count / parts * part + count % parts * part / parts; };
    ParallelFor(parts, [&](size_t part) { work(part, begin(part), begin(part + 1)); });
    return parts;
}

void RefuseWorkerThreadsForTest(bool refused)
{
    workersRefused = refused;
}

}  // namespace platform
