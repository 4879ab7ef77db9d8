#pragma once
// Run-length bitmaps (RLE8 and RLE4, Windows compressions 1 and 2): runs of one palette index,
// literal stretches, and escapes that end a row, end the picture or jump ahead. A jump, a row
// ended early or data that ends before the picture leave pixels with no index at all; those are
// kMissing, which the reader draws black (as the bitmap suite's guide allows), so that the same
// file gives the same picture every time. Nothing is ever written outside the picture, whatever
// the data claims.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::bmp {

inline constexpr std::int16_t kMissing = -1;

// Palette indices of width x height pixels, rows in file order (bottom row first), decoded from
// the run-length data of bits 8 (RLE8) or 4 (RLE4). width and height must be positive and their
// product reasonable (the caller has checked the picture's size).
std::vector<std::int16_t> decodeRle(const std::uint8_t* data, std::size_t size, int bits, int width, int height);

} // namespace platform::bmp
