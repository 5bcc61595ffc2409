// Installed families that stand for font names drawings and movies use but this system lacks: the
// movies' generic device fonts (_sans, _serif, _typewriter, _ゴシック, _明朝) and the Japanese
// Windows families (ＭＳ ゴシック, ＭＳ Ｐゴシック, ＭＳ ＵＩ Gothic, ＭＳ 明朝, ＭＳ Ｐ明朝, with or
// without "ＭＳ ", in full-width or plain letters).
#pragma once

#include <string>

namespace platform {

// The installed family that stands for the name (UTF-8); any other name comes back as given.
std::string StandInFamily(const std::string &family);

}  // namespace platform
