#include "velmor/shell/viewscale.h"

#include <gtest/gtest.h>

namespace {

// A 4 x 2 picture of two 2 x 2 blocks with known sums, in the given format.
QImage blocks(QImage::Format format)
{
    QImage rgb(5, 3, QImage::Format_RGB32);
    rgb.fill(qRgb(250, 250, 250)); // the fifth column and third row fill no block
    const QRgb left[4] = {qRgb(10, 0, 255), qRgb(20, 1, 255), qRgb(30, 2, 254), qRgb(41, 2, 254)};
    const QRgb right[4] = {qRgb(200, 100, 0), qRgb(200, 100, 0), qRgb(200, 100, 0), qRgb(200, 101, 1)};
    for (int i = 0; i < 4; ++i) {
        rgb.setPixel(i % 2, i / 2, left[i]);
        rgb.setPixel(2 + i % 2, i / 2, right[i]);
    }
    return rgb.convertToFormat(format);
}

TEST(ViewScale, BlocksAverageToTheNearestValueInEveryPictureFormat)
{
    // An indexed picture is converted first; these few colours survive that exactly.
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888, QImage::Format_RGB888, QImage::Format_Indexed8}) {
        SCOPED_TRACE(int(format));
        const QImage picture = blocks(format);
        const QImage avg = shell::averageBlocks(picture, 2);
        ASSERT_EQ(avg.size(), QSize(2, 1));
        // (10+20+30+41)/4 = 25.25, (0+1+2+2)/4 = 1.25, (255+255+254+254)/4 = 254.5 rounds up.
        EXPECT_EQ(avg.pixel(0, 0), qRgb(25, 1, 255));
        EXPECT_EQ(avg.pixel(1, 0), qRgb(200, 100, 0));
    }
    EXPECT_EQ(shell::averageBlocks(blocks(QImage::Format_RGB32), 1).size(), QSize(5, 3));
}

TEST(ViewScale, AViewGetsThePictureAtItsSizeWithItsColoursKept)
{
    const struct {
        QSize picture, view;
    } cases[] = {{{6000, 4000}, {618, 412}}, {{17000, 40}, {618, 1}}, {{30, 2500}, {10, 863}}, {{600, 400}, {599, 399}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << " x " << c.picture.height());
        for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
            QImage picture(c.picture, format);
            picture.fill(QColor(201, 102, 3));
            const QImage shown = shell::scaledForView(picture, c.view);
            ASSERT_EQ(shown.size(), c.view);
            EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, qRgb(201, 102, 3) & 0xFFFFFF);
            EXPECT_EQ(shown.pixel(c.view.width() - 1, c.view.height() - 1) & 0xFFFFFF, qRgb(201, 102, 3) & 0xFFFFFF);
        }
    }
    // A picture with transparency keeps it.
    QImage clear(400, 400, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QImage shown = shell::scaledForView(clear, {40, 40});
    EXPECT_EQ(shown.size(), QSize(40, 40));
    EXPECT_EQ(qAlpha(shown.pixel(20, 20)), 0);
    EXPECT_TRUE(shell::scaledForView(QImage(), {40, 40}).isNull());
}

} // namespace
