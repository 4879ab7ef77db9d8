#include "velmor/shell/screenfit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The window as designed at 96 dpi on a platform that draws no frame.
const shell::FitBase kBase{{540, 349}, {248, 188}};

struct Case {
    const char* what;
    QSize picture, available;
    bool fits;
    QSize displayed;
};

TEST(ScreenFit, ScalesBothViewsByTheLargestFactorThatLetsTheWindowFit)
{
    // 618 x 863 gives exactly a 1280 x 1024 window.
    const Case cases[] = {
        {"fits exactly", {618, 863}, {1280, 1024}, true, {618, 863}},
        {"one pixel too wide", {618, 863}, {1279, 1024}, false, {617, 862}},
        {"one pixel too tall", {618, 863}, {1280, 1023}, false, {617, 862}},
        {"too wide and too tall", {618, 863}, {1279, 1023}, false, {617, 862}},
        {"a phone photo", {6000, 4000}, {1280, 1024}, false, {618, 412}},
        {"a wide strip", {17000, 40}, {1280, 1024}, false, {618, 1}},
        {"a tall strip", {40, 17000}, {1280, 1024}, false, {2, 863}},
        {"the largest picture", {32766, 32766}, {1280, 1024}, false, {618, 618}},
        {"small pictures are never scaled up", {100, 300}, {1280, 1024}, true, {100, 300}},
        {"a screen smaller than the design", {1000, 1000}, {400, 300}, false, {188, 188}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const shell::ScreenFit fit = shell::fitToArea(kBase, c.picture, c.available);
        EXPECT_EQ(fit.fits, c.fits);
        EXPECT_EQ(fit.displayed, c.displayed);
        EXPECT_LE(fit.factor, 1.0);
        if (c.fits) {
            EXPECT_EQ(fit.factor, 1.0);
            continue;
        }
        // One factor for both sides, within the pixel that rounding costs.
        EXPECT_NEAR(fit.displayed.width(), c.picture.width() * fit.factor, 1.0);
        EXPECT_NEAR(fit.displayed.height(), c.picture.height() * fit.factor, 1.0);
        const QSize window = shell::ruleWindowSize(kBase, fit.displayed);
        if (c.available.width() >= kBase.form.width() && c.available.height() >= kBase.form.height()) {
            EXPECT_LE(window.width(), c.available.width());
            EXPECT_LE(window.height(), c.available.height());
            // The largest: one pixel more on the limiting side would not fit.
            const bool widthLimits = fit.displayed.width() < c.picture.width()
                && shell::ruleWindowSize(kBase, fit.displayed + QSize(1, 0)).width() > c.available.width();
            const bool heightLimits = fit.displayed.height() < c.picture.height()
                && shell::ruleWindowSize(kBase, fit.displayed + QSize(0, 1)).height() > c.available.height();
            EXPECT_TRUE(widthLimits || heightLimits);
        } else {
            EXPECT_EQ(window, kBase.form) << "the window keeps its designed size";
        }
    }
}

} // namespace
