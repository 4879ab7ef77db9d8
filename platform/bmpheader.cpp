#include "platform/bmpheader.h"

#include "platform/byteorder.h"

namespace platform::bmp {

std::optional<Header> readHeader(const std::uint8_t* b, std::size_t size)
{
    if (size < kInfoSize + 4 || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    auto u16 = [&](std::size_t at) { return at + 2 <= size ? le::get16(b + at) : 0u; };
    auto u32 = [&](std::size_t at) { return at + 4 <= size ? le::get32(b + at) : 0u; };
    Header h;
    h.pixelOffset = le::get32(b + kPixelOffset);
    h.infoSize = le::get32(b + kInfoSize);
    if (h.infoSize == kCoreInfoSize) {
        h.width = u16(kCoreWidth);
        h.height = u16(kCoreHeight);
        h.planes = int(u16(kCorePlanes));
        h.bits = int(u16(kCoreBitCount));
        return h;
    }
    h.width = std::int32_t(u32(kWidth));
    h.height = std::int32_t(u32(kHeight));
    h.planes = int(u16(kPlanes));
    h.bits = int(u16(kBitCount));
    if (h.infoSize >= kWindowsInfoSize) {
        h.compression = u32(kCompression);
        h.coloursUsed = u32(kColoursUsed);
    }
    return h;
}

} // namespace platform::bmp
