// What the writer made of each path of an array (its unit key, its bounds), kept by the path's
// mark: making them again for the same array remakes only the values of paths whose mark is new.
// Paths inserted or removed in between are followed, so the paths after them keep their values.
#pragma once

#include "core/path_array.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace movie {

template <typename Value>
class MarkedPathValues {
public:
    // Makes the value of every element of paths (element 0 too) with make(path), keeping those
    // of paths whose mark is the one they had. Returns whether the paths are as many as before,
    // each value made again in its place; then replaced (when given) receives the place and the
    // old value of each value that differs from the one it had, up to mostReplaced of them and
    // one more (more than mostReplaced are not told apart).
    template <typename Make>
    bool Update(const core::PathArray &paths, Make make, std::vector<std::pair<size_t, Value>> *replaced = nullptr,
                size_t mostReplaced = SIZE_MAX - 1)
    {
        if (marks_.size() == paths.size()) {
            for (size_t i = 0; i < paths.size(); ++i) {
                if (marks_[i] != paths.Mark(i)) {
                    Value made = make(paths[i]);
                    if (replaced && replaced->size() <= mostReplaced && !(made == values_[i])) {
                        replaced->emplace_back(i, std::move(values_[i]));
                    }
                    values_[i] = std::move(made);
                    marks_[i] = paths.Mark(i);
                }
                assert(values_[i] == make(paths[i]));
            }
            return true;
        }
        std::vector<core::PathMark> marks(paths.size());
        std::vector<Value> values(paths.size());
        const size_t old = marks_.size();
        size_t next = 0;  // the kept value the next path is compared with first
        for (size_t i = 0; i < paths.size(); ++i) {
            const core::PathMark mark = paths.Mark(i);
            marks[i] = mark;
            const size_t end = std::min(old, next + kLookAhead);
            const size_t k = static_cast<size_t>(std::find(marks_.begin() + static_cast<std::ptrdiff_t>(std::min(next, old)),
                                                           marks_.begin() + static_cast<std::ptrdiff_t>(end), mark) -
                                                 marks_.begin());
            if (k < end) {
                values[i] = std::move(values_[k]);
                next = k + 1;
                assert(values[i] == make(paths[i]));
                continue;
            }
            values[i] = make(paths[i]);
            // A changed path takes the place of its kept value; an inserted one, before which the
            // next path has that value, leaves it for that path.
            if (next < old && !(i + 1 < paths.size() && paths.Mark(i + 1) == marks_[next])) {
                ++next;
            }
        }
        marks_ = std::move(marks);
        values_ = std::move(values);
        return false;
    }

    const Value &operator[](size_t i) const { return values_[i]; }

private:
    // How far ahead a path looks for its kept value: removing up to this many paths in a row
    // still finds the values of the paths after them.
    static constexpr size_t kLookAhead = 8;

    std::vector<core::PathMark> marks_;
    std::vector<Value> values_;
};

}  // namespace movie
