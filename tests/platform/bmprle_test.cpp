// Run-length bitmap data, byte by byte: runs, literals, escapes, and data that lies.
#include "platform/bmprle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::bmp::kMissing;
using Indices = std::vector<std::int16_t>;
constexpr std::int16_t _ = kMissing;

Indices decode(const std::vector<std::uint8_t>& data, int bits, int width, int height)
{
    return platform::bmp::decodeRle(data.data(), data.size(), bits, width, height);
}

TEST(RunLength, EveryEscapeAndWhatItLeavesUndrawn)
{
    const struct {
        const char* what;
        int bits, width, height;
        std::vector<std::uint8_t> data;
        Indices expected; // bottom row first
    } cases[] = {
        {"runs and an early end of row", 8, 4, 2, {3, 5, 0, 0, 2, 7, 0, 1}, {5, 5, 5, _, 7, 7, _, _}},
        {"a jump right and up", 8, 4, 2, {1, 9, 0, 2, 2, 1, 1, 8, 0, 1}, {9, _, _, _, _, _, _, 8}},
        {"a literal padded to 16 bits", 8, 4, 1, {0, 3, 1, 2, 3, 0, 1, 4, 0, 1}, {1, 2, 3, 4}},
        {"RLE4 runs alternate the halves", 4, 5, 1, {5, 0x12, 0, 1}, {1, 2, 1, 2, 1}},
        {"an RLE4 literal", 4, 4, 1, {0, 3, 0x12, 0x30, 1, 0x44, 0, 1}, {1, 2, 3, 4}},
        {"the data ends early", 8, 3, 2, {2, 6}, {6, 6, _, _, _, _}},
        {"a run past the row stops there", 8, 2, 2, {200, 1, 0, 0, 1, 2}, {1, 1, 2, _}},
        {"a literal past the row stops there", 8, 2, 1, {0, 4, 1, 2, 3, 4}, {1, 2}},
        {"a jump past the picture ends it", 8, 2, 2, {0, 2, 255, 255, 1, 3}, {_, _, _, _}},
        {"a literal longer than the data", 8, 3, 1, {0, 200, 7}, {7, _, _}},
        {"more rows than the picture", 8, 1, 1, {1, 1, 0, 0, 1, 2, 0, 0, 1, 3}, {1}},
        {"a jump cut short", 8, 2, 1, {1, 4, 0, 2, 1}, {4, _}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode(c.data, c.bits, c.width, c.height), c.expected) << c.what;
}

} // namespace
