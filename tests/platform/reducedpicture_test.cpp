// The reduced first look at a large photo: a JPEG read at a fraction of its size, turned upright as
// the whole picture is, and nothing at all (no error either) for whatever the whole decode must
// judge instead.

#include "platform/picture.h"
#include "platform/reducedpicture.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

// A 2400 x 1800 picture (4.3 megapixels), grey with a red block in its top-left corner.
QImage marked()
{
    QImage image(2400, 1800, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            image.setPixel(x, y, qRgb(230, 20, 20));
    return image;
}

// The JPEG with an EXIF segment saying orientation 6: shown turned a quarter clockwise.
QByteArray turnedQuarter(const QByteArray& jpeg)
{
    const char exif[] = "\xFF\xE1\x00\x22" "Exif\x00\x00" "II\x2A\x00\x08\x00\x00\x00"
                        "\x01\x00" "\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00" "\x00\x00\x00\x00";
    return jpeg.left(2) + QByteArray(exif, sizeof exif - 1) + jpeg.mid(2);
}

bool reddish(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 80;
}

TEST(ReducedPicture, ALargeJpegIsReadAtAnEighthTurnedUprightLikeTheWholePicture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("turned.jpg"));
    testsupport::writeFile(path, turnedQuarter(testsupport::encoded(marked(), "JPG")));

    const platform::ReducedPicture first = platform::loadReducedPicture(path, QSize(200, 200));
    ASSERT_FALSE(first.picture.isNull());
    EXPECT_EQ(first.size, QSize(1800, 2400)) << "the whole picture's upright size";
    EXPECT_EQ(first.picture.size(), QSize(225, 300)) << "an eighth, the smallest still 200 x 200";
    // The red corner went to the top right, as in the whole picture.
    const QImage whole = platform::loadPicture(path);
    ASSERT_EQ(whole.size(), first.size);
    EXPECT_TRUE(reddish(whole.pixel(1799 - 20, 20)));
    EXPECT_TRUE(reddish(first.picture.pixel(224 - 3, 3)));
    EXPECT_FALSE(reddish(first.picture.pixel(3, 3)));

    // Asked for more detail, a quarter; for more than a half holds, nothing.
    EXPECT_EQ(platform::loadReducedPicture(path, QSize(300, 500)).picture.size(), QSize(450, 600));
    EXPECT_TRUE(platform::loadReducedPicture(path, QSize(1000, 1000)).picture.isNull());
}

TEST(ReducedPicture, NothingForWhatTheWholeDecodeMustJudge)
{
    QTemporaryDir dir;
    const QByteArray jpeg = testsupport::encoded(marked(), "JPG");
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"another format", testsupport::encoded(marked(), "PNG")},
        {"a photo under 4 megapixels", testsupport::encoded(marked().copy(0, 0, 2000, 1500), "JPG")},
        {"a photo cut short", jpeg.left(jpeg.size() / 2)},
        {"no picture at all", QByteArray("\xFF\xD8 not really", 13)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("case.jpg"));
        testsupport::writeFile(path, c.bytes);
        EXPECT_TRUE(platform::loadReducedPicture(path, QSize(100, 100)).picture.isNull());
    }
    EXPECT_TRUE(platform::loadReducedPicture(dir.filePath(QStringLiteral("missing.jpg")), QSize(100, 100)).picture.isNull());
    EXPECT_TRUE(platform::loadReducedPicture(dir.path(), QSize(100, 100)).picture.isNull()) << "a folder";
}

} // namespace
