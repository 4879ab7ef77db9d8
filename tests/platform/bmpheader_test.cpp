// The bitmap header reader, on headers written here byte by byte from the published layouts.
#include "platform/bmpheader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::size_t at, std::uint32_t v, int n)
{
    if (b.size() < at + n)
        b.resize(at + n);
    for (int i = 0; i < n; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes fileHeader(std::uint32_t infoSize, std::uint32_t pixelOffset)
{
    Bytes b{'B', 'M'};
    put(b, 10, pixelOffset, 4);
    put(b, 14, infoSize, 4);
    return b;
}

TEST(BmpHeader, ReadsEachKindOfInformationHeader)
{
    Bytes windows = fileHeader(40, 1078); // 8 bits, top-down, 16 colours used
    put(windows, 18, 300, 4);
    put(windows, 22, std::uint32_t(-200), 4);
    put(windows, 26, 1, 2);
    put(windows, 28, 8, 2);
    put(windows, 30, 0, 4);
    put(windows, 46, 16, 4);
    put(windows, 50, 0, 4);

    Bytes core = fileHeader(12, 26 + 3 * 16); // OS/2 1.x: 16-bit sizes, nothing after the bit count
    put(core, 18, 0x1234, 2);
    put(core, 20, 0x0056, 2);
    put(core, 22, 1, 2);
    put(core, 24, 4, 2);
    core.resize(core.size() + 48, 0x77); // palette bytes, no header fields

    Bytes os2v2 = fileHeader(16, 30); // OS/2 2.x short header: no compression field
    put(os2v2, 18, 7, 4);
    put(os2v2, 22, 5, 4);
    put(os2v2, 26, 1, 2);
    put(os2v2, 28, 24, 2);
    os2v2.resize(64, 0x01);

    const struct {
        const char* what;
        Bytes bytes;
        platform::bmp::Header expected;
    } cases[] = {
        {"Windows, top-down", windows, {1078, 40, 300, -200, 1, 8, 0, 16}},
        {"OS/2 1.x", core, {74, 12, 0x1234, 0x56, 1, 4, 0, 0}},
        {"OS/2 2.x, 16 bytes", os2v2, {30, 16, 7, 5, 1, 24, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto h = platform::bmp::readHeader(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(h) << c.what;
        EXPECT_EQ(h->pixelOffset, c.expected.pixelOffset) << c.what;
        EXPECT_EQ(h->infoSize, c.expected.infoSize) << c.what;
        EXPECT_EQ(h->width, c.expected.width) << c.what;
        EXPECT_EQ(h->height, c.expected.height) << c.what;
        EXPECT_EQ(h->planes, c.expected.planes) << c.what;
        EXPECT_EQ(h->bits, c.expected.bits) << c.what;
        EXPECT_EQ(h->compression, c.expected.compression) << c.what;
        EXPECT_EQ(h->coloursUsed, c.expected.coloursUsed) << c.what;
    }
}

TEST(BmpHeader, ACutShortFileShowsWhatItHolds)
{
    Bytes b = fileHeader(40, 54);
    put(b, 18, 640, 4);
    put(b, 22, 480, 4);
    put(b, 26, 1, 2);
    put(b, 28, 24, 2);
    put(b, 30, 3, 4);
    put(b, 34, 0xAAAAAAAA, 4); // the image size, where the colour count would be cut
    const auto cut = platform::bmp::readHeader(b.data(), 36);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->width, 640);
    EXPECT_EQ(cut->compression, 3u);
    EXPECT_EQ(cut->coloursUsed, 0u); // past the end: read as 0, never beyond the bytes
    const auto shorter = platform::bmp::readHeader(b.data(), 20);
    ASSERT_TRUE(shorter);
    EXPECT_EQ(shorter->width, 0);

    EXPECT_FALSE(platform::bmp::readHeader(b.data(), 17)); // no information header size
    b[1] = 'A';
    EXPECT_FALSE(platform::bmp::readHeader(b.data(), b.size()));
}

} // namespace
