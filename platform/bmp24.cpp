#include "platform/bmp24.h"

#include "platform/littleendian.h"

namespace platform::bmp24 {

using le::get32;
using le::put16;
using le::put32;

std::array<std::uint8_t, kHeaderSize> header(std::int32_t width, std::int32_t height)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    const auto imageSize = static_cast<std::uint32_t>(stride(width) * height);
    h[0] = 'B';
    h[1] = 'M';
    put32(&h[2], static_cast<std::uint32_t>(kHeaderSize) + imageSize);
    put32(&h[10], kHeaderSize);
    put32(&h[14], 40);
    put32(&h[18], static_cast<std::uint32_t>(width));
    put32(&h[22], static_cast<std::uint32_t>(height));
    put16(&h[26], 1);
    put16(&h[28], 24);
    put32(&h[30], 0);
    put32(&h[34], imageSize);
    put32(&h[38], kPixelsPerMetre);
    put32(&h[42], kPixelsPerMetre);
    return h;
}

std::optional<Layout> parseHeader(const std::uint8_t* b, std::size_t size)
{
    if (size < kHeaderSize || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(get32(b + 18));
    const auto height = static_cast<std::int32_t>(get32(b + 22));
    const bool plain = get32(b + 10) == kHeaderSize && get32(b + 14) == 40 && (b[26] | b[27] << 8) == 1
        && (b[28] | b[29] << 8) == 24 && get32(b + 30) == 0;
    if (!plain || width <= 0 || height <= 0)
        return std::nullopt;
    return Layout{width, height};
}

} // namespace platform::bmp24
