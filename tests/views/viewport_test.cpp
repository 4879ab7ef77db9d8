// The zoom and position both views share: where the picture lands in device pixels, the steps of
// zooming, the point under the cursor kept in place, and panning that never leaves the picture.

#include "velmor/views/viewport.h"

#include <gtest/gtest.h>

namespace {

using views::Viewport;

TEST(Viewport, FittedThePictureIsCentredAtTheLargestScaleNeverAbove100Percent)
{
    struct Case {
        const char* what;
        QSize picture, view;
        double dpr;
        QRect placed;
    };
    const Case cases[] = {
        {"smaller than the view: its own size, centred", {100, 50}, {300, 200}, 1, {100, 75, 100, 50}},
        {"wider: the width limits", {6000, 4000}, {600, 600}, 1, {0, 100, 600, 400}},
        {"taller: the height limits", {1000, 4000}, {600, 600}, 1, {225, 0, 150, 600}},
        {"at twice the device pixels, twice the pixels", {6000, 4000}, {600, 600}, 2, {0, 200, 1200, 800}},
        {"a view of its shape to a pixel is filled", {2000, 600}, {618, 185}, 1, {0, 0, 618, 185}},
        {"a strip one pixel high fills its view", {17000, 40}, {618, 1}, 1, {0, 0, 618, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Viewport v;
        EXPECT_TRUE(v.isFit());
        EXPECT_EQ(v.place(c.picture, c.view, c.dpr), c.placed);
        EXPECT_FALSE(v.canPan(c.picture, c.view));
    }
    EXPECT_EQ(views::fitScale({6000, 4000}, {600, 600}), 0.1);
    EXPECT_EQ(views::fitScale({100, 50}, {300, 200}), 1.0);
}

TEST(Viewport, ZoomStepsThroughTheLadderAndBackToTheFittedPicture)
{
    const QSize picture(6000, 4000), view(600, 400);
    const QPointF centre(300, 200);
    Viewport v;
    v.zoomIn(picture, view, centre); // 0.1 fitted -> 1/8
    EXPECT_FALSE(v.isFit());
    EXPECT_DOUBLE_EQ(v.scale(picture, view), 1.0 / 8);
    for (int i = 0; i < 20; ++i)
        v.zoomIn(picture, view, centre);
    EXPECT_DOUBLE_EQ(v.scale(picture, view), 16.0) << "the largest step holds";
    v.zoomTo(1, picture, view, centre);
    v.zoomOut(picture, view, centre);
    EXPECT_DOUBLE_EQ(v.scale(picture, view), 2.0 / 3);
    for (int i = 0; i < 20; ++i)
        v.zoomOut(picture, view, centre);
    EXPECT_TRUE(v.isFit()) << "below the fitted size there is nothing more to see";
}

TEST(Viewport, At100PercentEveryPicturePixelIsOneDevicePixelOnWholePixels)
{
    const QSize picture(6001, 4001), view(601, 401);
    Viewport v;
    v.zoomTo(1, picture, view, QPointF(300.5, 200.5));
    const QRect placed = v.place(picture, view, 1);
    EXPECT_EQ(placed.size(), picture);
    // The picture's middle at the view's middle, on a whole device pixel.
    EXPECT_EQ(placed.x(), 300 - 3000);
    EXPECT_EQ(placed.y(), 200 - 2000);
    EXPECT_TRUE(v.canPan(picture, view));
}

TEST(Viewport, ZoomKeepsThePointUnderTheCursorAndPanningStopsAtTheEdges)
{
    const QSize picture(4000, 3000), view(400, 300);
    Viewport v;
    // At the fitted 0.1 the cursor at (100, 50) is over picture point (1000, 500).
    v.zoomTo(1, picture, view, QPointF(100, 50));
    QRect placed = v.place(picture, view, 1);
    EXPECT_EQ(QPoint(100, 50) - placed.topLeft(), QPoint(1000, 500));

    // Dragging right by 30 shows what lay left of it; far past the edge, the picture's edge stops.
    v.panBy(QPointF(30, 0), picture, view);
    EXPECT_EQ(v.place(picture, view, 1).x(), placed.x() + 30);
    v.panBy(QPointF(100000, 100000), picture, view);
    placed = v.place(picture, view, 1);
    EXPECT_EQ(placed.topLeft(), QPoint(0, 0));
    v.panBy(QPointF(-100000, -100000), picture, view);
    placed = v.place(picture, view, 1);
    EXPECT_EQ(placed.bottomRight(), QPoint(399, 299));

    // Zoomed out past the view's size the picture is centred and cannot be dragged.
    v.zoomTo(1.0 / 16, picture, view, QPointF(0, 0));
    EXPECT_EQ(v.place(picture, view, 1), QRect(75, 56, 250, 188));
    EXPECT_FALSE(v.canPan(picture, view));
}

} // namespace
