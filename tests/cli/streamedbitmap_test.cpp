// Plain bitmaps are read in strips with ordinary reads: exact rows, and a file that shrinks while it
// is read is an error, never a crash.

#include "platform/errors.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "velmor/cli/streamedbitmap.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <unistd.h>

namespace {

struct StreamedBitmapTest : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("photo.bmp")); }
    // Tall enough for several strips; every row tells its own number.
    QImage tall(int w, int h) const
    {
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixel(x, y, qRgb(y & 255, (y >> 8) & 255, x & 255));
        return img;
    }
};

TEST_F(StreamedBitmapTest, RowsComeOutExactlyAcrossStrips)
{
    const int w = 1001, h = 3000; // strips of about 1400 rows: three of them
    testsupport::writeFile(path(), testsupport::encoded(tall(w, h), "BMP"));
    const auto source = cli::openStreamedBitmap(path());
    ASSERT_TRUE(source);
    ASSERT_EQ(source->width(), w);
    ASSERT_EQ(source->height(), h);
    for (int y = 1; y <= h; ++y) {
        const std::uint8_t* row = source->row(y);
        const int top = h - y; // row 1 is the bottom one
        ASSERT_EQ(row[2], top & 255) << y;
        ASSERT_EQ(row[1], (top >> 8) & 255) << y;
        ASSERT_EQ(row[3 * 300], 300 & 255) << y;
    }
}

TEST_F(StreamedBitmapTest, RowsComeOutExactlyFromTheTopDownAsTheOtherFormatsWantThem)
{
    const int w = 1001, h = 3000;
    testsupport::writeFile(path(), testsupport::encoded(tall(w, h), "BMP"));
    const auto source = cli::openStreamedBitmap(path());
    ASSERT_TRUE(source);
    for (int y = h; y >= 1; --y) {
        const std::uint8_t* row = source->row(y);
        const int top = h - y;
        ASSERT_EQ(row[2], top & 255) << y;
        ASSERT_EQ(row[1], (top >> 8) & 255) << y;
    }
    // Turning round in the middle reads what it needs.
    EXPECT_EQ(source->row(1500)[2], (h - 1500) & 255);
    EXPECT_EQ(source->row(2999)[2], (h - 2999) & 255);
}

TEST_F(StreamedBitmapTest, AFileThatShrinksWhileReadIsAnError)
{
    const int w = 2000, h = 2000;
    testsupport::writeFile(path(), testsupport::encoded(tall(w, h), "BMP"));
    const auto source = cli::openStreamedBitmap(path());
    ASSERT_TRUE(source);
    source->row(1);
    ASSERT_EQ(::truncate(QFile::encodeName(path()).constData(), 100000), 0);
    try {
        for (int y = 1; y <= h; ++y)
            source->row(y);
        ADD_FAILURE() << "rows past the end were read";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().startsWith(path())) << e.text().toStdString();
    }
}

TEST_F(StreamedBitmapTest, OtherPicturesAreLeftToTheDecoder)
{
    testsupport::writeFile(path(), testsupport::encoded(tall(4, 4), "PNG"));
    EXPECT_FALSE(cli::openStreamedBitmap(path()));
    QByteArray cut = testsupport::encoded(tall(40, 40), "BMP");
    cut.chop(100);
    testsupport::writeFile(path(), cut);
    EXPECT_FALSE(cli::openStreamedBitmap(path()));
}

} // namespace
