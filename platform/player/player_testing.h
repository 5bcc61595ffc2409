// What tests may set in the player to reach cases that no ordinary movie reaches.
#pragma once

namespace platform {

// From now on keeps only the lowest bits of every shape group hash (64, the start-up value, keeps
// them all), so that many different groups share one hash.
void KeepGroupHashBitsForTest(int bits);

}  // namespace platform
