// The idle release gives memory back once, after it was restarted, and never while work runs;
// what the program keeps for later is let go first.
#include "platform/base/idle_memory_release.h"

#include <gtest/gtest.h>

using platform::IdleMemoryRelease;

TEST(IdleMemoryRelease, ReleasesOnceAfterARestartAndWaitsForRunningWork)
{
    bool busy = false;
    int letGo = 0;
    IdleMemoryRelease release([&] { return busy; }, 60000);
    release.BeforeRelease([&] { ++letGo; });
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 0u);  // nothing happened yet
    release.Restart();
    EXPECT_TRUE(release.Pending());
    busy = true;
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 0u);
    EXPECT_TRUE(release.Pending());  // waits again for the work to end
    EXPECT_EQ(letGo, 0);
    busy = false;
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 1u);
    EXPECT_EQ(letGo, 1);  // what is kept for later goes first
    EXPECT_FALSE(release.Pending());
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 1u);
}
