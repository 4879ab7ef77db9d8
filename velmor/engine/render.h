#pragma once
// The filter rule: each pixel is reduced to its grey level, and the grey level is multiplied
// channel by channel by the filter colour, with 128 standing for a factor of 1.

#include "platform/picture.h"
#include "velmor/engine/colorvalues.h"

#include <array>
#include <cstdint>

namespace engine {

// The largest width or height a render takes: its row and column counters are 16-bit.
constexpr int kMaxRenderSide = platform::kMaxPictureSide;

// Index 0 blue, 1 green, 2 red: each channel byte of the filter colour divided by 128.
using ChannelFactors = std::array<double, 3>;
ChannelFactors channelFactors(ColorValue filterColor);

// grey = (b + g + r + 1) / 3, the nearest whole number to the mean.
constexpr int greyLevel(int sum) { return (sum + 1) / 3; }

// One output channel: factor x grey rounded half to even, capped at 255.
std::uint8_t tintChannel(double factor, int grey);

// The filter as a table over the sum of a pixel's three bytes (0 to 765): the whole rule is a
// lookup, exact and fast.
class RenderTable {
public:
    explicit RenderTable(const ChannelFactors& factors);
    explicit RenderTable(ColorValue filterColor) : RenderTable(channelFactors(filterColor)) {}

    // Tints width pixels of three bytes from src into dst (blue, green, red each).
    void renderPixels(const std::uint8_t* src, std::uint8_t* dst, int width) const;

    // The same rule over pixels as a screen shows them: 32-bit words 0xAARRGGBB, whose alpha is
    // ignored and written as 0xFF. src and dst may be the same.
    void renderDisplayed(const std::uint32_t* src, std::uint32_t* dst, int width) const;

    // The output pixel for one source pixel, packed blue | green << 8 | red << 16.
    std::uint32_t pixelFor(int sum) const { return table_[static_cast<std::size_t>(sum)]; }

private:
    std::array<std::uint32_t, 766> table_{};
};

} // namespace engine
