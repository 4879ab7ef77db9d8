#include "platform/bmprle.h"

#include <algorithm>

namespace platform::bmp {

std::vector<std::int16_t> decodeRle(const std::uint8_t* data, std::size_t size, int bits, int width, int height)
{
    std::vector<std::int16_t> indices(std::size_t(width) * std::size_t(height), kMissing);
    const bool four = bits == 4;
    std::int64_t x = 0, y = 0;
    // Index i of a run or stretch: RLE4 alternates the high and the low half of its byte.
    auto put = [&](unsigned index) {
        if (x < width && y < height)
            indices[std::size_t(y) * std::size_t(width) + std::size_t(x)] = std::int16_t(index);
        ++x; // past the row's end nothing is drawn: a row never runs into the next
    };
    std::size_t at = 0;
    while (at + 1 < size && y < height) {
        const unsigned count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i)
                put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of the row
            x = 0;
            ++y;
        } else if (value == 1) { // end of the picture
            break;
        } else if (value == 2) { // jump right and up
            if (at + 1 >= size)
                break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // a literal stretch, padded to a whole number of 16-bit words
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t available = std::min(bytes, size - at);
            for (unsigned i = 0; i < value && (four ? i / 2 : i) < available; ++i) {
                const unsigned byte = data[at + (four ? i / 2 : i)];
                put(four ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
            }
            at += bytes + (bytes % 2);
        }
    }
    return indices;
}

} // namespace platform::bmp
