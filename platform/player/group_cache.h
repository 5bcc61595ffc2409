// The shape groups the players sharing this object have built: each player keeps those of the
// movie it loaded last, and a movie loaded by any of them takes an unchanged group from any of
// them instead of building it again. Held by the players that share it (and by whoever made it).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

namespace platform {

namespace swf {
struct MovieGroups;
}

class GroupCache {
public:
    GroupCache();
    ~GroupCache();
    GroupCache(const GroupCache &) = delete;
    GroupCache &operator=(const GroupCache &) = delete;

    // The groups kept for all players together.
    size_t size() const;

private:
    friend class MoviePlayer;

    // The groups kept for one player (made on first use), those of the others, and forgetting
    // a player's groups when it stops sharing.
    swf::MovieGroups &GroupsOf(const void *player);
    std::vector<const swf::MovieGroups *> GroupsOfOthers(const void *player) const;
    void Forget(const void *player);

    std::map<const void *, std::unique_ptr<swf::MovieGroups>> players_;
};

}  // namespace platform
