#pragma once
// The source pixel grid: the opened picture as raw 24-bit pixels, read once so that every render
// can run without decoding the picture again.

#include <QString>
#include <cstdint>
#include <vector>

namespace engine {

// W x H records of three bytes (blue, green, red). Record (y-1) x W + (x-1) is column x of grid
// row y, and grid row 1 is the bottom row of the picture, as the bitmap stores it.
struct SourcePixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    bool empty() const { return bytes.empty(); }
    const std::uint8_t* row(int y) const { return bytes.data() + std::size_t(y - 1) * std::size_t(width) * 3; }
};

// Reads the pixel rows of the 24-bit bitmap at path (row y at 54 + (y-1) x S, one read a row) into a
// new grid of W x H, then deletes the file. The header is not read: W and H come from the caller.
// Sizes that overflow 32 bits, a file too short for W x H and a file that cannot be read or
// deleted throw platform::RuntimeError; the file is then left in place.
SourcePixels LoadSourcePixels(const QString& path, int width, int height);

} // namespace engine
