// Drawn groups built on the global thread pool while the parser reads on (internal to the player).
#pragma once

#include "platform/player/swf_data.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace platform::swf {

// A drawn group along the paths of another whose edges and line widths are the same: only its
// styles differ, and the paths (shared, not copied) do not depend on them.
DrawnGroup Restyled(const DrawnGroup &paths, const StyleGroup &group);

// Style groups handed over in reading order are built into drawn groups in batches: a full batch
// is built by the pool's threads while the reader fills the next, and the reader helps with the
// batch before it once that one is full too, so at most two batches of groups wait in memory.
// A handful of groups is built on the reading thread alone.
class GroupBuilds {
public:
    GroupBuilds();
    ~GroupBuilds();
    GroupBuilds(const GroupBuilds &) = delete;
    GroupBuilds &operator=(const GroupBuilds &) = delete;

    // Hands over a group to be built from its edges, or when paths is given, as those paths with
    // the group's styles; returns its number, counted from 0 in the order handed over.
    size_t Add(StyleGroup group, GroupPtr paths = nullptr);
    size_t size() const { return added_; }
    // Builds every group handed over and returns the drawn groups by number; the builds are then
    // empty again. Rethrows what a build threw (memory running out).
    std::vector<GroupPtr> Finish();

private:
    struct Batch;
    void Start(const std::shared_ptr<Batch> &batch);
    void Collect(std::shared_ptr<Batch> &batch);

    std::shared_ptr<Batch> filling_;
    std::shared_ptr<Batch> running_;
    std::vector<GroupPtr> built_;
    size_t added_ = 0;
};

}  // namespace platform::swf
