// Indexes of cached groups by their hashes (seeded once per process where the player hashes its
// groups): a key holds one index, the last entered; Erase removes an entry in place, so that a
// few groups changed update the index in proportion. Internal to the player.
#pragma once

#include "platform/base/tagged_index.h"

namespace platform::swf {

using GroupIndex = TaggedIndex<>;

}  // namespace platform::swf
