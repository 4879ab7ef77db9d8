#pragma once
// The headers that open every bitmap file: the 14-byte file header, then an information header
// whose first field is its own size (12 bytes for OS/2 1.x, 16 to 64 for OS/2 2.x, 40 and longer
// for Windows). The 24-bit layout, the variant reader and the picture check all read them here.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform::bmp {

// Offsets in the file header.
inline constexpr std::size_t kFileSize = 2;
inline constexpr std::size_t kPixelOffset = 10;
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoSize = 14; // the information header's first field

// Offsets in a Windows or OS/2 2.x information header (counted from the start of the file).
inline constexpr std::size_t kWidth = 18;
inline constexpr std::size_t kHeight = 22;   // negative: rows stored top-down
inline constexpr std::size_t kPlanes = 26;
inline constexpr std::size_t kBitCount = 28;
inline constexpr std::size_t kCompression = 30; // from 40 bytes on
inline constexpr std::size_t kImageSize = 34;
inline constexpr std::size_t kXPixelsPerMetre = 38;
inline constexpr std::size_t kYPixelsPerMetre = 42;
inline constexpr std::size_t kColoursUsed = 46;
inline constexpr std::size_t kColoursImportant = 50;
// The bit-field masks: after a 40-byte header, or the next fields of a longer one.
inline constexpr std::size_t kMasks = 54;

// The OS/2 1.x information header: 16-bit sizes and no compression.
inline constexpr std::uint32_t kCoreInfoSize = 12;
inline constexpr std::size_t kCoreWidth = 18;
inline constexpr std::size_t kCoreHeight = 20;
inline constexpr std::size_t kCorePlanes = 22;
inline constexpr std::size_t kCoreBitCount = 24;

inline constexpr std::uint32_t kWindowsInfoSize = 40;

// Compression values of Windows headers (OS/2 2.x gives some of them other meanings).
inline constexpr std::uint32_t kRgb = 0;
inline constexpr std::uint32_t kRle8 = 1; // run-length coded, 8 bits a pixel (OS/2 2.x alike)
inline constexpr std::uint32_t kRle4 = 2; // run-length coded, 4 bits a pixel (OS/2 2.x alike)
inline constexpr std::uint32_t kBitFields = 3;
inline constexpr std::uint32_t kAlphaBitFields = 6;

struct Header {
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // as stored: negative when the rows go top-down
    int planes = 0;
    int bits = 0;
    std::uint32_t compression = kRgb; // kRgb in headers without the field
    std::uint32_t coloursUsed = 0;    // 0 in headers without the field
};

// The fields that the first size bytes hold, read as the information header's size says; a field
// that lies past size reads as 0, so that a check of a cut-short file sees what is there. Nothing
// without the signature "BM" and the information header's size.
std::optional<Header> readHeader(const std::uint8_t* bytes, std::size_t size);

} // namespace platform::bmp
