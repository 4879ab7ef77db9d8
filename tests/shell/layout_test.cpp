#include "window_fixture.h"

#include "velmor/shell/layout.h"

#include <QLabel>

namespace {

using Layout = WindowFixture;

struct Expected {
    int pictureWidth, pictureHeight; // pixels
    float extraFormWidth, extraFormHeight, previewLeft, previewWidth, previewHeight, barLeft, barWidth; // twips
};

TEST_F(Layout, WindowAndPreviewFollowTheSourcePicture)
{
    frmMain& w = open();
    const shell::Twips& tw = w.twips();
    const float formWidth = tw.toTwips(w.frameGeometry().width());
    const float formHeight = tw.toTwips(w.frameGeometry().height());
    ASSERT_EQ(formWidth, w.layoutBase().BaseFormWidth);
    ASSERT_EQ(formHeight, w.layoutBase().BaseFormHeight);

    // In order: the designed size (no resize, so the bar keeps its designed place), wider,
    // taller, and small again after a large one.
    const Expected cases[] = {
        {248, 188, 0, 0, 4215, 3720, 2820, 4185, 3750},
        {348, 188, 3000, 0, 5715, 5220, 2820, 5715, 5220},
        {100, 300, 0, 1680, 4215, 1500, 4500, 4215, 1500},
        {600, 500, 2 * 5280, 4680, 4215 + 5280, 9000, 7500, 4215 + 5280, 9000},
        {50, 40, 0, 0, 4215, 750, 600, 4215, 750},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(testing::Message() << e.pictureWidth << " x " << e.pictureHeight);
        w.picSrc->setSizePixels(QSize(e.pictureWidth, e.pictureHeight));
        EXPECT_EQ(tw.toTwips(w.frameGeometry().width()), formWidth + e.extraFormWidth);
        EXPECT_EQ(tw.toTwips(w.frameGeometry().height()), formHeight + e.extraFormHeight);
        EXPECT_EQ(tw.left(w.picPrev), e.previewLeft);
        EXPECT_EQ(tw.left(w.labPrev), e.previewLeft);
        EXPECT_EQ(tw.width(w.picPrev), e.previewWidth);
        EXPECT_EQ(tw.height(w.picPrev), e.previewHeight);
        EXPECT_EQ(tw.left(w.mxbPrv), e.barLeft);
        EXPECT_EQ(tw.width(w.mxbPrv), e.barWidth);
        // Tops and the rest of the window never move.
        EXPECT_EQ(tw.top(w.picPrev), 2280.0f);
        EXPECT_EQ(tw.top(w.mxbPrv), 2550.0f);
        EXPECT_EQ(tw.height(w.mxbPrv), 450.0f);
        EXPECT_EQ(tw.left(w.picSrc), 150.0f);
        EXPECT_TRUE(w.hasRuleSize());
    }
}

TEST_F(Layout, AResizeBeforeTheBaseSizesAreRecordedLaysNothingOut)
{
    window = std::make_unique<frmMain>(services());
    frmMain& w = *window;
    EXPECT_TRUE(w.layoutBase().Loading) << "held from construction";
    const QSize designed = w.size();
    w.picSrc->setSizePixels(QSize(400, 300));
    EXPECT_EQ(w.size(), designed);
    EXPECT_EQ(w.twips().left(w.picPrev), 4215.0f);
}

TEST(LayoutRule, ComputesInSinglePrecisionFromTheBaseSizes)
{
    shell::LayoutBase base;
    base.BaseFormWidth = 8220.5f;
    base.BaseFormHeight = 5700.25f;
    base.BaseSourceWidth = 3720;
    base.BaseSourceHeight = 2820;
    base.BasePreviewLeft = 4215;
    const auto same = shell::layoutFor(base, 3720, 2820);
    EXPECT_EQ(same.formWidth, 8220.5f);
    EXPECT_EQ(same.formHeight, 5700.25f);
    const auto grown = shell::layoutFor(base, 3720.5f, 2820.25f);
    EXPECT_EQ(grown.formWidth, 8221.5f);
    EXPECT_EQ(grown.formHeight, 5700.5f);
    EXPECT_EQ(grown.previewLeft, 4215.5f);
    // A large picture: the sum is rounded to single precision once.
    const auto large = shell::layoutFor(base, 16777216.0f, 2820);
    EXPECT_EQ(large.formWidth, static_cast<float>(8220.5 + 2.0 * (16777216.0 - 3720.0)));
}

} // namespace
