#include "velmor/engine/renderrows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace engine;

namespace {

constexpr ColorValue kMono = 0x00808080, kSepia = 0x0040C0C0;

TEST(RenderRows, EachRowGoesWhereTheTargetSaysInRowOrder)
{
    // Grid row 1 (bottom): grey 20 and grey 255; row 2: grey 1 and grey 3.
    const std::vector<std::uint8_t> grid = {10, 20, 31, 255, 255, 254, 1, 1, 1, 3, 3, 3};
    std::vector<std::uint8_t> out(12, 0xAA);
    std::string asked;
    renderRows(RenderTable(kSepia), 2, 2,
        [&](int y) { asked += "s" + std::to_string(y); return grid.data() + (y - 1) * 6; },
        [&](int y) { asked += "t" + std::to_string(y); return out.data() + (2 - y) * 6; }); // top row first
    EXPECT_EQ(asked, "s1t1s2t2");
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 2, 2, 2, 4, 4, 10, 30, 30, 128, 255, 255}));
}

TEST(RenderRows, WideRowsYieldEveryFewThousandPixelsAndCancelStopsAtTheNextYield)
{
    const int width = 5000; // two slices of pixels a row
    const std::vector<std::uint8_t> row(3 * width, 9);
    std::vector<std::uint8_t> out(3 * width);
    std::string events;
    int sources = 0;
    RenderHooks hooks;
    hooks.yield = [&] { events += 'y'; };
    hooks.step = [&] { events += 's'; };
    renderRows(RenderTable(kMono), width, 2, [&](int) { return row.data(); }, [&](int) { return out.data(); }, hooks);
    EXPECT_EQ(events, "yysyyysy");
    EXPECT_EQ(out.back(), 9);

    hooks.cancelled = [&] { return events.size() >= 3; };
    events.clear();
    EXPECT_THROW(renderRows(RenderTable(kMono), width, 3, [&](int) { ++sources; return row.data(); },
                     [&](int) { return out.data(); }, hooks),
        RenderCancelled);
    EXPECT_EQ(events, "yysy");
    EXPECT_EQ(sources, 1);
}

} // namespace
