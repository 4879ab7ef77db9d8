#pragma once
// The filter rule written out again in whole numbers, as a reference the engine's table is held
// against: grey = (b + g + r + 1) / 3, then colourByte x grey / 128 rounded half to even and
// capped at 255.

#include <cstdint>

namespace testsupport {

inline std::uint8_t referenceTint(unsigned colourByte, int sum)
{
    const unsigned grey = unsigned(sum + 1) / 3;
    const unsigned product = colourByte * grey;
    unsigned whole = product / 128;
    const unsigned rest = product % 128;
    if (rest > 64 || (rest == 64 && whole % 2 == 1))
        ++whole;
    return std::uint8_t(whole > 255 ? 255 : whole);
}

// The output pixel packed blue | green << 8 | red << 16 for a colour 0x00BBGGRR.
inline std::uint32_t referencePixel(std::uint32_t colour, int sum)
{
    return referenceTint((colour >> 16) & 0xFF, sum) | std::uint32_t{referenceTint((colour >> 8) & 0xFF, sum)} << 8
        | std::uint32_t{referenceTint(colour & 0xFF, sum)} << 16;
}

} // namespace testsupport
