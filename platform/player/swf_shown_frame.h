// The frame a player shows: its movie and the display list the frames up to it build. Internal
// to the player.
#pragma once

#include "platform/player/swf_movie.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>

namespace platform::swf {

// Shared with the worker drawing it, which only reads it: the player changes a copy while a
// worker still holds it.
struct ShownFrame {
    std::shared_ptr<Movie> movie;  // null when the file was not a movie
    DisplayList displayList;
    int32_t frame = -1;  // the frame the display list shows; -1 before the first

    // Whether every object shown can be drawn on another thread alike (morph shapes build their
    // shape at a ratio when drawn, and text asks the font system). Known once asked.
    bool DrawableOffThread()
    {
        if (!drawableOffThread) {
            drawableOffThread = std::all_of(displayList.begin(), displayList.end(), [this](const auto &entry) {
                const Character *character = movie->Find(entry.second.characterId);
                return character == nullptr || (!std::holds_alternative<MorphCharacter>(*character) &&
                                                !std::holds_alternative<EditTextCharacter>(*character));
            });
        }
        return *drawableOffThread;
    }
    // Forgets what DrawableOffThread knew (the display list changed).
    void Changed() { drawableOffThread.reset(); }

private:
    std::optional<bool> drawableOffThread;
};

}  // namespace platform::swf
