#include "platform/player/swf_group_builds.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace platform::swf {

namespace {

// Groups per batch: enough that starting the pool's threads costs little beside building them.
constexpr size_t kBatchGroups = 512;
// A last batch of fewer groups is built on the reading thread alone.
constexpr size_t kSharedFrom = 64;

}  // namespace

DrawnGroup Restyled(const DrawnGroup &paths, const StyleGroup &group)
{
    DrawnGroup drawn = paths;
    drawn.fills = group.fills;
    drawn.lines = group.lines;
    return drawn;
}

// A batch of groups and their drawn groups; each thread that builds takes the next group left.
struct GroupBuilds::Batch {
    std::vector<StyleGroup> groups;
    std::vector<GroupPtr> paths;  // null where a group is built from its edges
    std::vector<GroupPtr> built;
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable allBuilt;
    size_t done = 0;
    std::exception_ptr error;

    void Work()
    {
        size_t finished = 0;
        std::exception_ptr failed;
        for (size_t i = next++; i < groups.size(); i = next++) {
            try {
                built[i] = std::make_shared<const DrawnGroup>(
                    paths[i] ? Restyled(*paths[i], groups[i]) : BuildDrawnGroup(std::move(groups[i])));
                groups[i] = StyleGroup();
                paths[i].reset();
            } catch (...) {
                failed = std::current_exception();
            }
            ++finished;
        }
        if (finished > 0) {
            std::lock_guard<std::mutex> lock(mutex);
            done += finished;
            if (failed && !error) {
                error = failed;
            }
            if (done == groups.size()) {
                allBuilt.notify_all();
            }
        }
    }

    void Wait()
    {
        Work();
        std::unique_lock<std::mutex> lock(mutex);
        allBuilt.wait(lock, [this] { return done == groups.size(); });
    }
};

GroupBuilds::GroupBuilds() = default;

// Pool threads may still build a batch of a parse given up: they hold on to it themselves.
GroupBuilds::~GroupBuilds() = default;

size_t GroupBuilds::Add(StyleGroup group, GroupPtr paths)
{
    if (!filling_) {
        filling_ = std::make_shared<Batch>();
        filling_->groups.reserve(kBatchGroups);
        filling_->paths.reserve(kBatchGroups);
    }
    filling_->groups.push_back(std::move(group));
    filling_->paths.push_back(std::move(paths));
    if (filling_->groups.size() == kBatchGroups) {
        if (running_) {
            Collect(running_);
        }
        running_ = std::move(filling_);
        Start(running_);
    }
    return added_++;
}

void GroupBuilds::Start(const std::shared_ptr<Batch> &batch)
{
    batch->built.resize(batch->groups.size());
    QThreadPool *pool = QThreadPool::globalInstance();
    const int helpers = std::min<int>(pool->maxThreadCount(), static_cast<int>(batch->groups.size()));
    for (int i = 0; i < helpers; ++i) {
        if (!pool->tryStart([batch] { batch->Work(); })) {
            break;  // the reader builds what no pool thread takes
        }
    }
}

void GroupBuilds::Collect(std::shared_ptr<Batch> &batch)
{
    batch->Wait();
    if (batch->error) {
        std::rethrow_exception(batch->error);
    }
    built_.insert(built_.end(), std::make_move_iterator(batch->built.begin()),
                  std::make_move_iterator(batch->built.end()));
    batch.reset();
}

std::vector<GroupPtr> GroupBuilds::Finish()
{
    if (running_) {
        Collect(running_);
    }
    if (filling_) {
        if (filling_->groups.size() >= kSharedFrom) {
            Start(filling_);
        } else {
            filling_->built.resize(filling_->groups.size());  // built here alone: too few to share
        }
        Collect(filling_);
    }
    added_ = 0;
    return std::exchange(built_, {});
}

}  // namespace platform::swf
