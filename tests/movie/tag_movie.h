// Tests of single tag writers: take the tags a writer appended and wrap them into a one-frame movie
// that the independent parser reads.
#pragma once

#include "movie/tag_buffer.h"
#include "movie/movie_writer.h"
#include "tests/movie/swf_check.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace tagmovie {

// The tag buffer's bytes; the buffer is left empty.
inline movie::Bytes TakeTags()
{
    movie::Bytes tags = movie::Writer().TagBuffer;
    movie::Writer().TagBuffer.clear();
    return tags;
}

// Writes the tags appended so far (with the buffer's earlier contents dropped by the caller),
// one placement of the character at the ratio (< 0: none) under the object name, and a frame;
// returns the parse.
inline swfcheck::Summary WriteAndParse(const std::string &name, int32_t characterId, float ratio = -1.0f,
                                       const std::string &objectName = "")
{
    std::string path = testsupport::TempPath(name);
    movie::Bytes definitions = TakeTags();
    movie::BeginMovie(6, 320, 240, 12.0f);
    movie::AppendToBuffer(definitions);
    movie::ControlMovieFile(path, movie::kMovieOpen);
    movie::PlaceObject(characterId, 0, 0, 1, 1, 0, 0, 256, 0, objectName, "", movie::kNoClipLayer, ratio,
                       movie::ColorTransformSpec());
    movie::NextFrame();
    movie::ControlMovieFile(path, movie::kMovieFrames);
    movie::WriteEndTag();
    EXPECT_TRUE(movie::ControlMovieFile(path, movie::kMovieFinish));
    return swfcheck::Parse(path);
}

// The first tag of a parsed movie, which must have the name and parse to its stated length.
inline swfcheck::Tag FirstTag(const swfcheck::Summary &swf, const std::string &name)
{
    EXPECT_TRUE(swf.parsed) << swf.output;
    if (!swf.parsed || swf.tags.empty()) {
        return {};
    }
    EXPECT_EQ(swf.tags[0].name, name);
    EXPECT_TRUE(swf.tags[0].parsed) << name << " does not parse to its stated length";
    return swf.tags[0];
}

}  // namespace tagmovie
