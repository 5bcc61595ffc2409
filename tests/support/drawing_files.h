// Drawing files the tests write to open, browse or use as an underlay.
#pragma once

#include "core/canvas_settings.h"
#include "core/drawing_file.h"
#include "core/path_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A new drawing's canvas settings, on a canvas of width x height pixels.
inline core::CanvasSettings CanvasOfSize(int32_t width, int32_t height)
{
    core::CanvasSettings settings;
    settings.Width = width;
    settings.Height = height;
    return settings;
}

// Writes the drawing file `path` of the paths (the unused element 0 put before them) with the
// canvas settings; the test fails when it cannot be written. Returns the path.
inline std::string WriteDrawing(const std::string &path, const std::vector<core::PathRecord> &paths,
                                const core::CanvasSettings &settings = core::CanvasSettings())
{
    core::PathArray array{core::PathRecord()};
    array.insert(array.end(), paths.begin(), paths.end());
    std::string message;
    EXPECT_TRUE(core::WriteDrawingFile(path, array, core::UpperBound(array), settings, message)) << message;
    return path;
}

}  // namespace testsupport
