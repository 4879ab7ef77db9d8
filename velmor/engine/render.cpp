#include "velmor/engine/render.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace engine {

static_assert(std::endian::native == std::endian::little, "pixels are packed little-endian");

ChannelFactors channelFactors(ColorValue filterColor)
{
    const ColorTriplet bgr = ColorToBgr(filterColor);
    return {bgr[0] / 128.0, bgr[1] / 128.0, bgr[2] / 128.0};
}

std::uint8_t tintChannel(double factor, int grey)
{
    // The factors are k / 128, so the product is exact and only the rounding mode matters.
    const double v = std::nearbyint(factor * grey);
    return static_cast<std::uint8_t>(std::min(v, 255.0));
}

RenderTable::RenderTable(const ChannelFactors& factors)
{
    for (int sum = 0; sum <= 765; ++sum) {
        const int grey = greyLevel(sum);
        table_[static_cast<std::size_t>(sum)] = tintChannel(factors[0], grey)
            | std::uint32_t{tintChannel(factors[1], grey)} << 8 | std::uint32_t{tintChannel(factors[2], grey)} << 16;
    }
}

void RenderTable::renderPixels(const std::uint8_t* src, std::uint8_t* dst, int width) const
{
    if (width <= 0)
        return;
    // Each pixel is stored as four bytes, the fourth overwritten by the next pixel; the last
    // pixel is stored byte by byte so that nothing past the row is touched.
    for (int x = 0; x < width - 1; ++x, src += 3, dst += 3) {
        const std::uint32_t v = table_[unsigned(src[0]) + src[1] + src[2]];
        std::memcpy(dst, &v, 4);
    }
    const std::uint32_t v = table_[unsigned(src[0]) + src[1] + src[2]];
    dst[0] = static_cast<std::uint8_t>(v);
    dst[1] = static_cast<std::uint8_t>(v >> 8);
    dst[2] = static_cast<std::uint8_t>(v >> 16);
}

void RenderTable::renderDisplayed(const std::uint32_t* src, std::uint32_t* dst, int width) const
{
    // A table entry is blue | green << 8 | red << 16: the displayed word's own layout.
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = src[x];
        dst[x] = 0xFF000000u | table_[(p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)];
    }
}

} // namespace engine
