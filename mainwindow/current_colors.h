// The three current colours (line, fill, gradient) every new path takes, shown by the colour
// indicator, with their opacities in the opacity frame.
#pragma once

#include <QString>

#include <cstdint>

namespace mainwindow {

// The top-left corner of the indicator's swatch of current colour index (0 line, 1 fill,
// 2 gradient), in the indicator's pixels.
void SwatchCorner(int index, int &x, int &y);

// A colour's red, green and blue (0x00BBGGRR) laid over the background with the opacity 0..255,
// each channel rounded half to even.
uint32_t BlendOverBackground(uint32_t colour, int32_t opacity, uint32_t background);
// True when white text reads better than black on the colour (its luma is below 128).
bool NeedsLightText(uint32_t colour);

// The number typed into a 0..255 box: the number at the start of the text rounded half to even;
// -1 when that lies outside 0..255 (the box's slider then stays where it is).
int32_t ByteFromText(const QString &text);

}  // namespace mainwindow
