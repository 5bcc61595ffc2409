// Shared set-up for the tests of the editing modules, and small builders of paths.
#pragma once

#include "core/clipboard.h"
#include "core/document.h"
#include "core/host.h"
#include "recording_host.h"
#include "core/path_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace editingtest {

inline core::PathRecord MakePath(std::initializer_list<std::pair<int32_t, int32_t>> points, bool closed = false)
{
    core::PathRecord path;
    for (auto [x, y] : points) {
        path.Anchors.push_back(core::AnchorPoint{x, y, core::kOnCurve});
    }
    path.blClosed = closed;
    path.LineMode = 1;
    path.LineWidth = 20;
    return path;
}

// A two-anchor path whose first anchor's x tells it apart.
inline core::PathRecord Tagged(int32_t tag)
{
    return MakePath({{tag, 0}, {tag, 100}});
}

inline int32_t AddPath(const core::PathRecord &path)
{
    core::Doc().DocPaths.push_back(path);
    return core::Doc().DocPathCount();
}

inline core::PathRecord &Path(int32_t i)
{
    return core::Doc().DocPaths.at(static_cast<size_t>(i));
}

inline std::vector<std::pair<int32_t, int32_t>> Points(const core::PathRecord &path)
{
    std::vector<std::pair<int32_t, int32_t>> points;
    for (const auto &a : path.Anchors) {
        points.emplace_back(a.X, a.Y);
    }
    return points;
}

// The tags (first anchor x) of the document's paths, back to front.
inline std::vector<int32_t> DocTags()
{
    std::vector<int32_t> tags;
    for (int32_t i = 1; i <= core::Doc().DocPathCount(); ++i) {
        tags.push_back(Path(i).Anchors.empty() ? -1 : Path(i).Anchors[0].X);
    }
    return tags;
}

// A fresh document, history, clipboard and path builder, with a recording host installed.
class EditingTest : public testsupport::RecordingHostTest {
protected:
    void SetUp() override
    {
        RecordingHostTest::SetUp();
        core::ResetClipboardForTest();
        core::ResetPathBuilderForTest();
    }

    int CountCalls(const std::string &call) const
    {
        return static_cast<int>(std::count(host.Calls.begin(), host.Calls.end(), call));
    }
    const std::string &LastCall() const { return host.Calls.back(); }
};

}  // namespace editingtest
