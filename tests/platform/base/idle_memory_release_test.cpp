// The idle release gives memory back once, after it was restarted, and never while work runs.
#include "platform/base/idle_memory_release.h"

#include <gtest/gtest.h>

using platform::IdleMemoryRelease;

TEST(IdleMemoryRelease, ReleasesOnceAfterARestartAndWaitsForRunningWork)
{
    bool busy = false;
    IdleMemoryRelease release([&] { return busy; }, 60000);
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 0u);  // nothing happened yet
    release.Restart();
    EXPECT_TRUE(release.Pending());
    busy = true;
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 0u);
    EXPECT_TRUE(release.Pending());  // waits again for the work to end
    busy = false;
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 1u);
    EXPECT_FALSE(release.Pending());
    release.ReleaseIfPending();
    EXPECT_EQ(release.Releases(), 1u);
}
