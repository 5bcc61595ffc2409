// Parallel jobs: each runs once whoever takes it, the caller does them all when no worker starts,
// a failure surfaces once every job is through, and jobs may run parallel work of their own.
#include "platform/base/parallel_for.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// Refuses worker threads while it lives.
struct WorkersRefused {
    WorkersRefused() { platform::RefuseWorkerThreadsForTest(true); }
    ~WorkersRefused() { platform::RefuseWorkerThreadsForTest(false); }
};

std::vector<int> Counts(const std::vector<std::atomic<int>> &runs)
{
    std::vector<int> counts;
    for (const std::atomic<int> &run : runs) {
        counts.push_back(run.load());
    }
    return counts;
}

// Runs count jobs in parallel, expects each to have run once, and returns how many ran on
// threads other than the caller.
size_t JobsElsewhere(size_t count)
{
    std::vector<std::atomic<int>> runs(count);
    std::atomic<size_t> elsewhere{0};
    const std::thread::id caller = std::this_thread::get_id();
    platform::ParallelFor(count, [&](size_t i) {
        ++runs[i];
        elsewhere += std::this_thread::get_id() != caller ? 1 : 0;
    });
    EXPECT_EQ(Counts(runs), std::vector<int>(count, 1));
    return elsewhere.load();
}

TEST(ParallelFor, RunsEveryJobOnceWithWorkersOrOnTheCallerAlone)
{
    for (const bool refused : {false, true}) {
        for (const size_t count : {0u, 1u, 2u, 7u, 1000u}) {
            SCOPED_TRACE(testing::Message() << "count " << count << (refused ? ", no workers" : ""));
            std::optional<WorkersRefused> noWorkers;
            if (refused) {
                noWorkers.emplace();
            }
            const size_t elsewhere = JobsElsewhere(count);
            if (refused) {
                EXPECT_EQ(elsewhere, 0u) << "every job is done on the caller";
            }
        }
    }
}

TEST(ParallelFor, AThreadWorkingAloneDoesEveryJobItself)
{
    std::thread alone([] {
        platform::WorkAloneOnThisThread();
        EXPECT_EQ(JobsElsewhere(500), 0u);
        EXPECT_EQ(JobsElsewhere(3), 0u);
    });
    alone.join();
    JobsElsewhere(500);  // the switch was that thread's: here every job still runs once
}

TEST(ParallelFor, ThrowsTheFailureOnceEveryJobTakenIsThrough)
{
    std::atomic<int> running{0};
    auto job = [&](size_t i) {
        ++running;
        struct Leave {
            std::atomic<int> &running;
            ~Leave() { --running; }
        } leave{running};
        if (i == 37) {
            throw std::runtime_error("job 37");
        }
    };
    try {
        platform::ParallelFor(200, job);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error &failure) {
        EXPECT_STREQ(failure.what(), "job 37");
        EXPECT_EQ(running.load(), 0) << "a job still ran when the failure was thrown";
    }

    // On the caller alone the jobs run in order: those after the first failure are skipped.
    WorkersRefused noWorkers;
    std::vector<std::atomic<int>> runs(6);
    try {
        platform::ParallelFor(runs.size(), [&](size_t i) {
            ++runs[i];
            if (i == 2 || i == 4) {
                throw std::runtime_error("job " + std::to_string(i));
            }
        });
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error &failure) {
        EXPECT_STREQ(failure.what(), "job 2");
    }
    EXPECT_EQ(Counts(runs), (std::vector<int>{1, 1, 1, 0, 0, 0}));
}

TEST(ParallelFor, JobsRunParallelWorkOfTheirOwnWhileEveryWorkerIsBusy)
{
    // More outer jobs than the pool has threads: the inner calls find no worker free and do
    // their jobs themselves.
    const size_t outer = static_cast<size_t>(QThreadPool::globalInstance()->maxThreadCount()) * 2 + 1;
    const size_t inner = 16;
    std::vector<std::atomic<int>> runs(outer * inner);
    platform::ParallelFor(outer, [&](size_t i) {
        platform::ParallelFor(inner, [&](size_t j) { ++runs[i * inner + j]; });
    });
    EXPECT_EQ(Counts(runs), std::vector<int>(outer * inner, 1));
}

TEST(ParallelFor, PartsCoverTheRangeInOrderWhateverThreadsDoThem)
{
    for (const bool refused : {false, true}) {
        std::optional<WorkersRefused> noWorkers;
        if (refused) {
            noWorkers.emplace();
        }
        const size_t count = 1003;
        const size_t expected = platform::PartCount(count, 10);
        std::vector<std::pair<size_t, size_t>> parts(expected);
        EXPECT_EQ(platform::RunInParts(count, 10, [&](size_t part, size_t begin, size_t end) {
                      parts[part] = {begin, end};
                  }),
                  expected);
        size_t at = 0;
        for (const auto &[begin, end] : parts) {
            EXPECT_EQ(begin, at);
            EXPECT_GE(end, begin + 10) << "each part holds at least the least asked for";
            at = end;
        }
        EXPECT_EQ(at, count);
    }
    EXPECT_EQ(platform::PartCount(1003, 2000), 1u);
    EXPECT_EQ(platform::PartCount(100000, 1), std::min<size_t>(platform::ProcessorCount(), 8));
}

}  // namespace
