// What a view draws at device pixels: the picture's exact pixels at 1:1, each device pixel the
// average of the pixels it covers when smaller, pixels repeated when larger, from the grid (stored
// bottom row first) or a picture held whole alike, and from a reduced copy only while it has the
// detail the view shows.

#include "velmor/views/picturepixels.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

namespace {

using views::PicturePixels;

// A picture whose every pixel differs, and the same as a source grid (bottom row first, BGR).
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37 + y) % 256, (y * 53 + x * 3) % 256, (x * y + 11) % 256));
    return image;
}

std::shared_ptr<const engine::SourcePixels> gridOf(const QImage& image)
{
    auto grid = std::make_shared<engine::SourcePixels>();
    grid->width = image.width();
    grid->height = image.height();
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            grid->bytes.insert(grid->bytes.end(), {std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c))});
        }
    return grid;
}

TEST(PicturePixels, OneToOneIsACopyOfTheVisiblePartFromTheGridOrAWholePicture)
{
    const QImage picture = pattern(40, 30);
    for (const PicturePixels& pixels : {PicturePixels::ofGrid(gridOf(picture)), PicturePixels::ofPicture(picture),
             PicturePixels::ofPicture(picture.convertToFormat(QImage::Format_BGR888))}) {
        ASSERT_EQ(pixels.size(), QSize(40, 30));
        // Placed 5 left of and 3 above a 20 x 20 view: its pixels (5, 3) to (24, 22) show.
        const views::Displayed shown = pixels.render(QRect(-5, -3, 40, 30), QSize(20, 20));
        ASSERT_EQ(shown.pixels.size(), QSize(20, 20));
        EXPECT_EQ(shown.at, QPoint(0, 0));
        EXPECT_EQ(shown.pixels, picture.copy(5, 3, 20, 20));
        // Centred in a larger view: the whole picture, where it lies.
        const views::Displayed whole = pixels.render(QRect(10, 20, 40, 30), QSize(60, 70));
        EXPECT_EQ(whole.at, QPoint(10, 20));
        EXPECT_EQ(whole.pixels, picture);
    }
}

TEST(PicturePixels, SmallerEachDevicePixelIsTheRoundedAverageOfItsSquare)
{
    QImage picture(4, 2, QImage::Format_RGB32);
    const QRgb left[4] = {qRgb(10, 0, 255), qRgb(20, 1, 255), qRgb(30, 2, 254), qRgb(41, 2, 254)};
    const QRgb right[4] = {qRgb(200, 100, 0), qRgb(200, 100, 0), qRgb(200, 100, 0), qRgb(200, 101, 1)};
    for (int i = 0; i < 4; ++i) {
        picture.setPixel(i % 2, i / 2, left[i]);
        picture.setPixel(2 + i % 2, i / 2, right[i]);
    }
    const views::Displayed shown = PicturePixels::ofGrid(gridOf(picture)).render(QRect(0, 0, 2, 1), QSize(2, 1));
    ASSERT_EQ(shown.pixels.size(), QSize(2, 1));
    // (10+20+30+41)/4 = 25.25, (0+1+2+2)/4 = 1.25, (255+255+254+254)/4 = 254.5 rounds up.
    EXPECT_EQ(shown.pixels.pixel(0, 0), qRgb(25, 1, 255));
    EXPECT_EQ(shown.pixels.pixel(1, 0), qRgb(200, 100, 0)); // 100.25 and 0.25 round down
}

TEST(PicturePixels, LargerEachPicturePixelBecomesABlockOfItsOwnColour)
{
    const QImage picture = pattern(3, 2);
    const views::Displayed shown = PicturePixels::ofGrid(gridOf(picture)).render(QRect(0, 0, 9, 6), QSize(9, 6));
    ASSERT_EQ(shown.pixels.size(), QSize(9, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(shown.pixels.pixel(x, y), picture.pixel(x / 3, y / 3)) << x << "," << y;
}

TEST(PicturePixels, AReducedCopyServesOnlyWhileItHasTheDetailShown)
{
    const QImage picture = pattern(80, 60);
    const QImage reduced(20, 15, QImage::Format_RGB32); // black: tells where pixels came from
    QImage black = reduced;
    black.fill(Qt::black);
    const PicturePixels both = PicturePixels::ofGrid(gridOf(picture), black);
    EXPECT_EQ(both.render(QRect(0, 0, 20, 15), QSize(20, 15)).pixels, black) << "the reduced copy is enough";
    EXPECT_EQ(both.render(QRect(0, 0, 80, 60), QSize(80, 60)).pixels, picture) << "1:1 needs the grid";

    // A first view alone is all there is: enlarged to whatever the view asks.
    const PicturePixels first = PicturePixels::ofFirstView(black, QSize(80, 60));
    EXPECT_FALSE(first.isWhole());
    EXPECT_EQ(first.size(), QSize(80, 60));
    const views::Displayed shown = first.render(QRect(0, 0, 80, 60), QSize(80, 60));
    EXPECT_EQ(shown.pixels.size(), QSize(80, 60));
    EXPECT_EQ(shown.pixels.pixel(79, 59), qRgb(0, 0, 0));
}

TEST(PicturePixels, NothingShowsOfAnEmptyPictureOrOnePlacedOutsideTheView)
{
    EXPECT_TRUE(PicturePixels().render(QRect(0, 0, 10, 10), QSize(10, 10)).pixels.isNull());
    EXPECT_TRUE(PicturePixels::ofPicture(pattern(4, 4)).render(QRect(20, 0, 4, 4), QSize(10, 10)).pixels.isNull());
    // A transparent picture shows over white, as the view's background is.
    QImage clear(2, 1, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(PicturePixels::ofPicture(clear).render(QRect(0, 0, 2, 1), QSize(2, 1)).pixels.pixel(1, 0), qRgb(255, 255, 255));
}

} // namespace
