// Jobs on a lane: run one at a time in the order started, skipped when cancelled first, held for
// tests until released or cancelled, and run on the caller when the lane can have no thread.
#include "platform/base/background_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using platform::BackgroundJob;
using platform::JobLane;

// Notes where and in which turn it ran; order is only written on the lane's one thread.
class NotingJob : public BackgroundJob {
public:
    NotingJob(int number, std::vector<int> *order) : number_(number), order_(order) {}

    bool Ran() const { return ran_.load(); }
    std::thread::id RanOn() const { return ranOn_; }

private:
    void Run(const std::atomic<bool> &cancel) override
    {
        EXPECT_FALSE(cancel.load());
        ranOn_ = std::this_thread::get_id();
        if (order_ != nullptr) {
            order_->push_back(number_);
        }
        ran_.store(true);
    }

    int number_;
    std::vector<int> *order_;
    std::atomic<bool> ran_{false};
    std::thread::id ranOn_;
};

TEST(BackgroundJob, RunsOnTheLaneOneAtATimeInTheOrderStarted)
{
    JobLane lane;
    std::vector<int> order;
    std::vector<std::shared_ptr<NotingJob>> jobs;
    for (int i = 0; i < 5; ++i) {
        jobs.push_back(std::make_shared<NotingJob>(i, &order));
        lane.Start(jobs.back());
    }
    jobs.back()->WaitFinished();
    EXPECT_TRUE(jobs.back()->Finished());
    EXPECT_TRUE(jobs.back()->Ran());
    EXPECT_NE(jobs.back()->RanOn(), std::this_thread::get_id());
    lane.WaitIdle();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    for (const std::shared_ptr<NotingJob> &job : jobs) {
        EXPECT_TRUE(job->Finished());
        EXPECT_EQ(job.use_count(), 1) << "the lane let go of the job";
    }
}

TEST(BackgroundJob, HeldJobsWaitUntilReleasedAndCancelledOnesAreSkipped)
{
    JobLane lane;
    lane.HoldForTest(true);
    auto first = std::make_shared<NotingJob>(1, nullptr);
    auto second = std::make_shared<NotingJob>(2, nullptr);
    auto third = std::make_shared<NotingJob>(3, nullptr);
    lane.Start(first);
    lane.Start(second);
    lane.Start(third);
    EXPECT_FALSE(first->Finished()) << "held";
    EXPECT_FALSE(first->Cancelled());
    first->Cancel();  // lets the held job go without its work
    first->WaitFinished();
    EXPECT_FALSE(first->Ran());
    EXPECT_TRUE(first->Cancelled());
    second->Cancel();  // before it started
    lane.HoldForTest(false);
    third->WaitFinished();
    EXPECT_TRUE(third->Ran());
    second->WaitFinished();
    EXPECT_FALSE(second->Ran());
}

TEST(BackgroundJob, ALaneEndingCancelsTheJobsLeft)
{
    auto held = std::make_shared<NotingJob>(1, nullptr);
    auto waiting = std::make_shared<NotingJob>(2, nullptr);
    {
        JobLane lane;
        lane.HoldForTest(true);
        lane.Start(held);
        lane.Start(waiting);
    }
    EXPECT_TRUE(held->Finished());
    EXPECT_TRUE(waiting->Finished());
    EXPECT_FALSE(held->Ran());
    EXPECT_FALSE(waiting->Ran());
}

TEST(BackgroundJob, ALaneWithoutAThreadRunsTheJobOnTheCaller)
{
    JobLane::RefuseThreadsForTest(true);
    JobLane lane;
    lane.HoldForTest(true);  // not for a job run on the caller, which would wait for itself
    auto job = std::make_shared<NotingJob>(1, nullptr);
    lane.Start(job);
    JobLane::RefuseThreadsForTest(false);
    EXPECT_TRUE(job->Finished());
    EXPECT_TRUE(job->Ran());
    EXPECT_EQ(job->RanOn(), std::this_thread::get_id());

    auto cancelled = std::make_shared<NotingJob>(2, nullptr);
    cancelled->Cancel();
    JobLane::RefuseThreadsForTest(true);
    lane.Start(cancelled);
    JobLane::RefuseThreadsForTest(false);
    EXPECT_TRUE(cancelled->Finished());
    EXPECT_FALSE(cancelled->Ran());
}

}  // namespace
