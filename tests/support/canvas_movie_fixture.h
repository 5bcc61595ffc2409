// The canvas movie over a fresh document: the writer and the canvas movie reset, a host installed
// that answers the canvas's check boxes and player, and the movie's temporary file in the test's
// program folder.
#pragma once

#include "core/document.h"
#include "core/host.h"
#include "movie/canvas_movie.h"
#include "movie/movie_writer.h"
#include "platform/player/movie_player.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace testsupport {

// The canvas's "show underlay", "underlay in front" and "show grid" boxes as the test sets them,
// and a player for the canvas movie.
class CanvasMovieHost : public core::Host {
public:
    bool underlay = false;
    bool inFront = false;
    bool grid = false;
    platform::MoviePlayer player;

    bool UnderlayChecked() const override { return underlay; }
    bool UnderlayInFrontChecked() const override { return inFront; }
    bool GridChecked() const override { return grid; }
    platform::MoviePlayer *CanvasPlayer() override { return &player; }
};

template <class TestHost = CanvasMovieHost>
class CanvasMovieFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::ResetDocumentForTest();
        movie::ResetWriterForTest();
        movie::ResetCanvasMovieForTest();
        core::SetHost(&host);
        core::Doc().CanvasTempFile = TempPath("_canvtemp.tmp");
    }
    void TearDown() override { core::SetHost(nullptr); }

    TestHost host;
};

}  // namespace testsupport
