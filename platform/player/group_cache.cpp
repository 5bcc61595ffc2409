#include "platform/player/group_cache.h"

#include "platform/player/swf_movie_groups.h"

namespace platform {

GroupCache::GroupCache() = default;
GroupCache::~GroupCache() = default;

size_t GroupCache::size() const
{
    size_t count = 0;
    for (const auto &entry : players_) {
        count += entry.second->size();
    }
    return count;
}

swf::MovieGroups &GroupCache::GroupsOf(const void *player)
{
    std::unique_ptr<swf::MovieGroups> &groups = players_[player];
    if (!groups) {
        groups = std::make_unique<swf::MovieGroups>();
    }
    return *groups;
}

std::vector<const swf::MovieGroups *> GroupCache::GroupsOfOthers(const void *player) const
{
    std::vector<const swf::MovieGroups *> others;
    for (const auto &entry : players_) {
        if (entry.first != player && entry.second->size() > 0) {
            others.push_back(entry.second.get());
        }
    }
    return others;
}

void GroupCache::Forget(const void *player)
{
    players_.erase(player);
}

}  // namespace platform
