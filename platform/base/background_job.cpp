#include "platform/base/background_job.h"

#include "platform/base/test_gate.h"

#include <system_error>

namespace platform {
namespace {

std::atomic<bool> threadsRefused{false};

}  // namespace

bool JobCompletion::Finished() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

void JobCompletion::Wait() const
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return finished_; });
}

void JobCompletion::Mark()
{
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

BackgroundJob::~BackgroundJob() = default;

void BackgroundJob::Cancel()
{
    cancel_.store(true);
    if (hold_) {
        hold_->Wake();  // a held job sees the cancel
    }
}

void BackgroundJob::RunThrough(TestGate *hold)
{
    if (hold != nullptr) {
        hold->WaitWhileClosed(&cancel_);
    }
    if (!cancel_.load()) {
        Run(cancel_);
    }
    completion_->Mark();
}

JobLane::JobLane() : hold_(std::make_shared<TestGate>()) {}

JobLane::~JobLane()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const std::shared_ptr<BackgroundJob> &job : queue_) {
            job->Cancel();
        }
        if (running_) {
            running_->Cancel();
        }
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void JobLane::Start(std::shared_ptr<BackgroundJob> job)
{
    job->hold_ = hold_;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable() && !threadsRefused.load()) {
            try {
                thread_ = std::thread([this] { Loop(); });
            } catch (const std::system_error &) {
                // No thread to be had: the job is run here.
            }
        }
        if (thread_.joinable()) {
            queue_.push_back(std::move(job));
            changed_.notify_all();
            return;
        }
    }
    job->RunThrough(nullptr);
}

void JobLane::WaitIdle()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void JobLane::HoldForTest(bool held)
{
    hold_->SetClosed(held);
}

void JobLane::RefuseThreadsForTest(bool refused)
{
    threadsRefused = refused;
}

void JobLane::Loop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;  // stopping, every job through
        }
        std::shared_ptr<BackgroundJob> job = std::move(queue_.front());
        queue_.pop_front();
        running_ = job;
        busy_ = true;
        lock.unlock();
        job->RunThrough(hold_.get());
        lock.lock();
        running_.reset();
        lock.unlock();
        job.reset();  // what the job holds is let go here unless its owner still holds it
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace platform
