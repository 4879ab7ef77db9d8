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
    // Eight pixels are 24 bytes: three 64-bit loads, eight lookups, three 64-bit stores.
    int x = 0;
    for (; x + 8 <= width; x += 8, src += 24, dst += 24) {
        std::uint64_t a, b, c;
        std::memcpy(&a, src, 8);
        std::memcpy(&b, src + 8, 8);
        std::memcpy(&c, src + 16, 8);
        auto byte = [](std::uint64_t w, int i) { return unsigned(w >> (8 * i)) & 0xFF; };
        const std::uint64_t p0 = table_[byte(a, 0) + byte(a, 1) + byte(a, 2)];
        const std::uint64_t p1 = table_[byte(a, 3) + byte(a, 4) + byte(a, 5)];
        const std::uint64_t p2 = table_[byte(a, 6) + byte(a, 7) + byte(b, 0)];
        const std::uint64_t p3 = table_[byte(b, 1) + byte(b, 2) + byte(b, 3)];
        const std::uint64_t p4 = table_[byte(b, 4) + byte(b, 5) + byte(b, 6)];
        const std::uint64_t p5 = table_[byte(b, 7) + byte(c, 0) + byte(c, 1)];
        const std::uint64_t p6 = table_[byte(c, 2) + byte(c, 3) + byte(c, 4)];
        const std::uint64_t p7 = table_[byte(c, 5) + byte(c, 6) + byte(c, 7)];
        const std::uint64_t o0 = p0 | p1 << 24 | p2 << 48;
        const std::uint64_t o1 = p2 >> 16 | p3 << 8 | p4 << 32 | p5 << 56;
        const std::uint64_t o2 = p5 >> 8 | p6 << 16 | p7 << 40;
        std::memcpy(dst, &o0, 8);
        std::memcpy(dst + 8, &o1, 8);
        std::memcpy(dst + 16, &o2, 8);
    }
    for (; x < width; ++x, src += 3, dst += 3) {
        const std::uint32_t v = table_[unsigned(src[0]) + src[1] + src[2]];
        dst[0] = static_cast<std::uint8_t>(v);
        dst[1] = static_cast<std::uint8_t>(v >> 8);
        dst[2] = static_cast<std::uint8_t>(v >> 16);
    }
}

} // namespace engine
