#include "velmor/engine/render.h"

#include "tests/support/filter_reference.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

constexpr ColorValue kMono = 0x00808080, kSepia = 0x0040C0C0, kRed = 0x004040C0, kBlue = 0x00C04040,
                     kGreen = 0x0040C040;

struct Case {
    ColorValue filter;
    int b, g, r;         // source pixel
    int ob, og, orr;     // expected output
    const char* story;
};

TEST(FilterRule, GreyLevelThenTintRoundedHalfToEvenAndCapped)
{
    const Case cases[] = {
        {kMono, 10, 20, 31, 20, 20, 20, "61 / 3 = 20.33 gives grey 20"},
        {kMono, 255, 255, 254, 255, 255, 255, "764 / 3 = 254.67 gives grey 255"},
        {kSepia, 1, 1, 1, 0, 2, 2, "grey 1: 0.5 gives 0, 1.5 gives 2"},
        {kSepia, 3, 3, 3, 2, 4, 4, "grey 3: 1.5 gives 2, 4.5 gives 4"},
        {kSepia, 169, 169, 169, 84, 254, 254, "grey 169: 253.5 gives 254"},
        {kSepia, 170, 170, 170, 85, 255, 255, "1.5 x 170 reaches 255"},
        {kSepia, 171, 171, 171, 86, 255, 255, "256.5 gives 256, capped"},
        {kSepia, 255, 255, 254, 128, 255, 255, "127.5 gives 128, 382.5 capped"},
        {kRed, 30, 30, 30, 15, 15, 45, "red: blue and green halved"},
        {kBlue, 30, 30, 30, 45, 15, 15, "blue: blue 1.5"},
        {kGreen, 30, 30, 30, 15, 45, 15, "green: green 1.5"},
        {0, 200, 100, 50, 0, 0, 0, "custom black"},
        {0x00FFFFFF, 255, 255, 255, 255, 255, 255, "255 x 255/128 = 508 capped"},
        {0x00000180, 90, 90, 90, 0, 1, 90, "custom: 1/128 x 90 = 0.70 gives 1"},
    };
    for (const auto& c : cases) {
        const RenderTable table(c.filter);
        const std::uint8_t src[3] = {std::uint8_t(c.b), std::uint8_t(c.g), std::uint8_t(c.r)};
        std::uint8_t dst[3] = {};
        table.renderPixels(src, dst, 1);
        EXPECT_EQ(dst[0], c.ob) << c.story;
        EXPECT_EQ(dst[1], c.og) << c.story;
        EXPECT_EQ(dst[2], c.orr) << c.story;
    }
}

TEST(FilterRule, TableMatchesTheRuleInWholeNumbersForEveryColourByte)
{
    for (int k = 0; k < 256; k += 5) {
        const ColorValue color = k | (255 - k) << 8 | (k / 2) << 16;
        const RenderTable table(color);
        for (int sum = 0; sum <= 765; ++sum)
            ASSERT_EQ(table.pixelFor(sum), testsupport::referencePixel(color, sum)) << "colour " << color << " sum " << sum;
    }
}

TEST(FilterRule, RowsAreWrittenWithoutTouchingBytesPastTheirEnd)
{
    const RenderTable table(kSepia);
    std::uint8_t src[3 * 4];
    for (int i = 0; i < 12; ++i)
        src[i] = std::uint8_t(i * 20);
    for (int width = 1; width <= 4; ++width) {
        std::uint8_t dst[13];
        std::fill(std::begin(dst), std::end(dst), 0xEE);
        table.renderPixels(src, dst, width);
        EXPECT_EQ(dst[3 * width], 0xEE) << "width " << width;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t expected = table.pixelFor(src[3 * x] + src[3 * x + 1] + src[3 * x + 2]);
            EXPECT_EQ(dst[3 * x] | dst[3 * x + 1] << 8 | dst[3 * x + 2] << 16, int(expected));
        }
    }
}

// The live preview applies the rule to the pixels a view shows: the same result as a render of the
// same pixels, whatever the alpha byte, in place or into another row.
TEST(FilterRule, DisplayedPixelsFollowTheRuleAndComeOutOpaque)
{
    const std::uint32_t shown[] = {0xFF000000u, 0x00FFFFFEu, 0x801F140Au, 0xFFA9A9A9u, 0x12345678u};
    for (const ColorValue colour : {kMono, kSepia, kRed, ColorValue(0x00000180), ColorValue(0x00FFFFFF)}) {
        const RenderTable table(colour);
        std::uint32_t out[5] = {};
        table.renderDisplayed(shown, out, 5);
        std::uint32_t inPlace[5];
        std::copy(std::begin(shown), std::end(shown), inPlace);
        table.renderDisplayed(inPlace, inPlace, 5);
        for (int x = 0; x < 5; ++x) {
            const std::uint32_t p = shown[x];
            const int sum = int(p & 0xFF) + int((p >> 8) & 0xFF) + int((p >> 16) & 0xFF);
            EXPECT_EQ(out[x], 0xFF000000u | testsupport::referencePixel(colour, sum)) << "colour " << colour << " pixel " << x;
            EXPECT_EQ(inPlace[x], out[x]);
        }
    }
}

} // namespace

