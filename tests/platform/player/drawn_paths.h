// The paths of drawn groups as the player's readers get them, and their exact comparison.
#pragma once

#include "platform/player/swf_drawn_group.h"

#include <QPainterPath>
#include <cstring>
#include <vector>

namespace swftest {

// Every path of the group, made as the renderer makes it: the fills', then the lines'.
inline std::vector<QPainterPath> MadePaths(const platform::swf::DrawnGroup &group)
{
    std::vector<QPainterPath> paths;
    for (size_t i = 0; i < group.fills.size(); ++i) {
        platform::swf::PathsMade made;
        paths.push_back(group.FillPath(i, made));
    }
    for (size_t i = 0; i < group.lines.size(); ++i) {
        platform::swf::PathsMade made;
        paths.push_back(group.LinePath(i, made));
    }
    return paths;
}

// Whether two paths hold the same elements, bit for bit, with the same fill rule and emptiness.
inline bool SameElements(const QPainterPath &a, const QPainterPath &b)
{
    if (a.elementCount() != b.elementCount() || a.fillRule() != b.fillRule() || a.isEmpty() != b.isEmpty()) {
        return false;
    }
    for (int i = 0; i < a.elementCount(); ++i) {
        const QPainterPath::Element x = a.elementAt(i);
        const QPainterPath::Element y = b.elementAt(i);
        if (x.type != y.type || std::memcmp(&x.x, &y.x, sizeof x.x) != 0 || std::memcmp(&x.y, &y.y, sizeof x.y) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace swftest
