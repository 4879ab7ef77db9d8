// A bitmap in the system's own layout read straight into a picture: rows bottom-up into the
// picture's top-down lines, padding skipped, a cut file refused with its name; anything else (and
// a pipe, never opened) goes to the general loader.

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/picture.h"
#include "tests/support/files.h"

#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

QByteArray bitmap(int width, int height, const QByteArray& rows)
{
    const auto h = platform::bmp24::header(width, height);
    return QByteArray(reinterpret_cast<const char*>(h.data()), qsizetype(h.size())) + rows;
}

TEST(Bmp24Picture, BottomRowFirstAndPaddingSkipped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    // 1 x 2: the bottom row blue 1, green 2, red 3, then the top row 4, 5, 6; one padding byte each.
    testsupport::writeFile(path, bitmap(1, 2, QByteArray("\x01\x02\x03\x00\x04\x05\x06\x00", 8)));
    const QImage picture = platform::loadBmp24Picture(path);
    ASSERT_EQ(picture.size(), QSize(1, 2));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(6, 5, 4));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(3, 2, 1));
}

TEST(Bmp24Picture, ACutFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.bmp"));
    for (const QByteArray& rows : {QByteArray("\x01\x02\x03\x00\x04\x05", 6), QByteArray("\x01\x02\x03\x00\x04\x05\x06", 7)}) {
        testsupport::writeFile(path, bitmap(1, 2, rows));
        try {
            platform::loadBmp24Picture(path);
            ADD_FAILURE() << "a cut file of " << rows.size() << " row bytes was read";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), platform::kInvalidPicture);
            EXPECT_EQ(e.text(), path + QStringLiteral(": ファイルが途中で切れています"));
        }
    }
}

TEST(Bmp24Picture, OtherFilesGoToTheGeneralLoaderAndAPipeIsNeverOpened)
{
    QTemporaryDir dir;
    // Odd sizes, so that rows carry padding, saved by the system's writer and as a PNG.
    QImage source(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgb(30 * x, 40 * y, 7 * x * y));
    const QString own = dir.filePath(QStringLiteral("own.bmp"));
    const QString png = dir.filePath(QStringLiteral("other.png"));
    platform::savePictureBmp24(source, own);
    ASSERT_TRUE(source.save(png, "PNG"));
    const QImage expected = source.convertToFormat(QImage::Format_BGR888);
    EXPECT_EQ(platform::loadBmp24Picture(own), expected);
    EXPECT_EQ(platform::loadBmp24Picture(png).convertToFormat(QImage::Format_BGR888), expected);

    const QString fifo = dir.filePath(QStringLiteral("fifo.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(platform::loadBmp24Picture(fifo), platform::RuntimeError);
    EXPECT_THROW(platform::loadBmp24Picture(dir.filePath(QStringLiteral("missing.bmp"))), platform::RuntimeError);
}

} // namespace
