#pragma once
// The system's 24-bit bitmap layout: 54-byte header, 24 bits a pixel, no compression,
// rows bottom-up, each row padded with zero bytes to a multiple of 4.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::bmp24 {

constexpr int kHeaderSize = 54;
// The resolution our encoder records: 96 dots per inch, the screen the twips were designed for.
constexpr std::int32_t kPixelsPerMetre = 3780;

// Bytes of one stored row: 3W rounded up to a multiple of 4.
constexpr std::int64_t stride(std::int64_t width) { return (3 * width + 3) & ~std::int64_t{3}; }
constexpr int padding(std::int64_t width) { return static_cast<int>(stride(width) - 3 * width); }
constexpr std::int64_t fileSize(std::int64_t width, std::int64_t height)
{
    return kHeaderSize + height * stride(width);
}

// The 54 header bytes our encoder writes for a W x H picture.
std::array<std::uint8_t, kHeaderSize> header(std::int32_t width, std::int32_t height);

// What a header says, when it describes a file in exactly this layout (uncompressed,
// 24 bits, bottom-up, pixels at 54); nothing for any other bitmap.
struct Layout {
    std::int32_t width;
    std::int32_t height;
};
std::optional<Layout> parseHeader(const std::uint8_t* bytes, std::size_t size);

} // namespace platform::bmp24
