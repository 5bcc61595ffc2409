#include "movie/tag_buffer.h"

#include "movie/movie_writer.h"
#include "platform/base/number_text.h"

#include <algorithm>
#include <cstring>

namespace movie {
namespace {

namespace swf = platform::swf;

constexpr int32_t kSmallRectBits = 16;
constexpr int32_t kLargeRectBits = 24;

Bytes RectBytes(int32_t bits, const swf::RectRecord &rect)
{
    return swf::RecordBytes([&](BitBuffer &b) { swf::WriteRect(b, rect, bits); });
}

// A character that is no hexadecimal digit counts as 0.
int HexDigit(char c)
{
    return std::max(platform::HexDigitValue(c), 0);
}

}  // namespace

void InitBitMasks()
{
    auto &masks = Writer().BitMask;
    for (size_t i = 0; i < masks.size(); ++i) {
        masks[i] = uint32_t{1} << i;
    }
}

Bytes WriteRect16(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    return RectBytes(kSmallRectBits, {xMin, xMax, yMin, yMax});
}

Bytes WriteRect24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    return RectBytes(kLargeRectBits, {xMin, xMax, yMin, yMax});
}

Bytes WriteRectAtLeast24(int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax)
{
    const swf::RectRecord rect{xMin, xMax, yMin, yMax};
    return RectBytes(swf::RectBits(rect, kLargeRectBits), rect);
}

swf::MatrixRecord MatrixOf(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, int32_t translateX,
                           int32_t translateY)
{
    swf::MatrixRecord matrix;
    matrix.hasScale = scaleX != 1.0f || scaleY != 1.0f;
    matrix.scaleX = static_cast<int32_t>(FixedValue(scaleX));
    matrix.scaleY = static_cast<int32_t>(FixedValue(scaleY));
    matrix.hasRotate = rotateSkew0 != 0.0f || rotateSkew1 != 0.0f;
    matrix.rotateSkew0 = static_cast<int32_t>(FixedValue(rotateSkew0));
    matrix.rotateSkew1 = static_cast<int32_t>(FixedValue(rotateSkew1));
    matrix.translateX = translateX;
    matrix.translateY = translateY;
    return matrix;
}

Bytes WriteMatrix(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, int32_t translateX,
                  int32_t translateY)
{
    const swf::MatrixRecord matrix = MatrixOf(scaleX, scaleY, rotateSkew0, rotateSkew1, translateX, translateY);
    return swf::RecordBytes([&](BitBuffer &b) { swf::WriteMatrix(b, matrix); });
}

swf::CxformRecord CxformOf(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult, int32_t redAdd,
                           int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd)
{
    return {true, true, {redMult, greenMult, blueMult, alphaMult}, {redAdd, greenAdd, blueAdd, alphaAdd}};
}

Bytes WriteColorTransform(int32_t redMult, int32_t greenMult, int32_t blueMult, int32_t alphaMult,
                          int32_t redAdd, int32_t greenAdd, int32_t blueAdd, int32_t alphaAdd)
{
    const swf::CxformRecord cx =
        CxformOf(redMult, greenMult, blueMult, alphaMult, redAdd, greenAdd, blueAdd, alphaAdd);
    return swf::RecordBytes([&](BitBuffer &b) { swf::WriteCxform(b, cx, true); });
}

int32_t ExtendBuffer(int32_t n)
{
    auto &buffer = Writer().TagBuffer;
    size_t first = buffer.size();
    buffer.resize(first + static_cast<size_t>(std::max(n, 0)), 0);
    return static_cast<int32_t>(first);
}

void CopyToBuffer(int32_t position, const uint8_t *source, int32_t n)
{
    auto &buffer = Writer().TagBuffer;
    if (position < 0 || n <= 0 || static_cast<size_t>(position) + static_cast<size_t>(n) > buffer.size()) {
        return;
    }
    std::memcpy(buffer.data() + position, source, static_cast<size_t>(n));
}

void AppendHex(std::string_view hex)
{
    int32_t first = ExtendBuffer(static_cast<int32_t>(hex.size() / 2));
    auto &buffer = Writer().TagBuffer;
    for (size_t j = 0; j + 1 < hex.size(); j += 2) {
        buffer[static_cast<size_t>(first) + j / 2] = static_cast<uint8_t>(HexDigit(hex[j]) * 16 + HexDigit(hex[j + 1]));
    }
}

void AppendToBuffer(const Bytes &bytes)
{
    auto &buffer = Writer().TagBuffer;
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
}

void ClearDepthTable()
{
    Writer().DepthTable.fill(0);
}

}  // namespace movie
