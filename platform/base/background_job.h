// Work done on a dedicated worker thread that a newer request cancels: a job lane runs its jobs
// one at a time in the order they were started, so a newer job waits for the one before, which
// a cancel ends soon.
//
// Who calls what: the job's owner (the thread that starts it) calls JobLane::Start, Cancel and
// WaitFinished; Cancelled and Finished may be asked on any thread. Run is called on the lane's
// thread, or on the owner's inside Start when the lane has no thread and none can be started.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

class TestGate;

// Whether the lane is through with a job, kept apart from the job so that its owner can still ask
// once it has let the job go. Seeing it finished orders everything the job's work did before
// what the asking thread does next.
class JobCompletion {
public:
    bool Finished() const;
    void Wait() const;

private:
    friend class BackgroundJob;
    void Mark();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool finished_ = false;
};

class BackgroundJob : public std::enable_shared_from_this<BackgroundJob> {
public:
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;
    virtual ~BackgroundJob();

    // Asks the work to stop: a job not yet running is never run, a running one sees its cancel
    // flag set (and a job held for a test is let go).
    void Cancel();
    bool Cancelled() const { return cancel_.load(); }
    // Whether the lane is through with the job: it ran, or it was skipped being cancelled.
    bool Finished() const { return completion_->Finished(); }
    void WaitFinished() const { completion_->Wait(); }
    std::shared_ptr<const JobCompletion> Completion() const { return completion_; }

protected:
    BackgroundJob() = default;
    // The work, on the lane's thread, unless the job was cancelled before it started. It polls
    // cancel and returns soon once it is set. It must not throw.
    virtual void Run(const std::atomic<bool> &cancel) = 0;

private:
    friend class JobLane;
    // Waits while hold (when given) is closed, runs the work unless cancelled and marks the job
    // finished.
    void RunThrough(TestGate *hold);

    std::atomic<bool> cancel_{false};
    std::shared_ptr<TestGate> hold_;  // the lane's, set when started; Cancel wakes the job held there
    const std::shared_ptr<JobCompletion> completion_ = std::make_shared<JobCompletion>();
};

// One worker thread, started with the first job, that runs the jobs started on it one at a time.
class JobLane {
public:
    JobLane();
    // Cancels the jobs left and waits for the one running.
    ~JobLane();
    JobLane(const JobLane &) = delete;
    JobLane &operator=(const JobLane &) = delete;

    // Runs job once the jobs started before it are through (owner's thread). When the lane's
    // thread cannot be started, the job is run here, before Start returns.
    void Start(std::shared_ptr<BackgroundJob> job);
    // Waits until every job started is through and let go by the lane (tests).
    void WaitIdle();
    // While held, the lane's jobs wait before their work until released or cancelled, so that a
    // test sees a job that has not finished. A job run on the owner's thread is not held.
    void HoldForTest(bool held);
    // While refused, a lane without a thread starts none, as when the system has no thread to give.
    static void RefuseThreadsForTest(bool refused);

private:
    void Loop();

    const std::shared_ptr<TestGate> hold_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<BackgroundJob>> queue_;
    std::shared_ptr<BackgroundJob> running_;
    bool busy_ = false;  // a job taken is not yet let go
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace platform
