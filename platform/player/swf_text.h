// Text fields drawn with device fonts. Internal to the player.
#pragma once

#include "platform/player/swf_movie.h"
#include "platform/player/swf_renderer.h"

#include <QString>

class QPainter;

namespace platform::swf {

// The installed family a movie's font name is drawn with.
QString ResolveDeviceFont(const QString &name);
void DrawEditText(const Movie &movie, const EditTextCharacter &text, QPainter &painter, const ColorTransform &cx,
                  Quality quality);

}  // namespace platform::swf
