#include "platform/player/swf_styles.h"

#include <algorithm>
#include <iterator>

namespace platform::swf {

namespace {

int ClampChannel(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, 0, 255));
}

}  // namespace

bool ColorTransform::IsIdentity() const
{
    return std::all_of(std::begin(mult), std::end(mult), [](int32_t m) { return m == 256; }) &&
           std::all_of(std::begin(add), std::end(add), [](int32_t a) { return a == 0; });
}

bool ColorTransform::IsAlphaScaleOnly() const
{
    return mult[0] == 256 && mult[1] == 256 && mult[2] == 256 && mult[3] != 256 &&
           std::all_of(std::begin(add), std::end(add), [](int32_t a) { return a == 0; });
}

QRgb ColorTransform::Apply(QRgb color) const
{
    auto channel = [this](int value, int i) {
        return ClampChannel(static_cast<int64_t>(value) * mult[i] / 256 + add[i]);
    };
    return qRgba(channel(qRed(color), 0), channel(qGreen(color), 1), channel(qBlue(color), 2),
                 channel(qAlpha(color), 3));
}

QImage ColorTransform::Apply(const QImage &image) const
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            line[x] = Apply(line[x]);
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace platform::swf
