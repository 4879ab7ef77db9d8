#include "platform/errors.h"
#include "platform/picture.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using platform::RuntimeError;

namespace {

struct PictureTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray encoded(const QImage& img, const char* format) { return testsupport::encoded(img, format); }
    int errorNumberOf(const QString& p) const
    {
        try {
            platform::loadPicture(p);
        } catch (const RuntimeError& e) {
            EXPECT_TRUE(e.text().startsWith(p)) << e.text().toStdString();
            return e.number();
        }
        return 0;
    }
};

TEST_F(PictureTest, SavesBottomUpRowsWithZeroPadding)
{
    QImage img(1, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(1, 2, 3)); // top
    img.setPixel(0, 1, qRgb(4, 5, 6)); // bottom
    platform::savePictureBmp24(img, path("a.bmp"));
    const QByteArray bytes = testsupport::readFile(path("a.bmp"));
    ASSERT_EQ(bytes.size(), 54 + 2 * 4);
    EXPECT_EQ(bytes.mid(54), QByteArray("\x06\x05\x04\x00\x03\x02\x01\x00", 8));
    EXPECT_THROW(platform::savePictureBmp24(img, path("a.bmp")), RuntimeError); // never over a file

    const QImage back = platform::loadPicture(path("a.bmp"));
    EXPECT_EQ(back.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(back.pixel(0, 1), qRgb(4, 5, 6));
}

TEST_F(PictureTest, AnyDepthBecomesBgrWithTransparencyOverWhite)
{
    QImage argb(3, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 0, 0));
    argb.setPixel(1, 0, qRgba(0, 0, 0, 255));
    argb.setPixel(2, 0, qRgba(0, 0, 255, 128));
    const QImage bgr = platform::toBgr888(argb);
    const uchar* row = bgr.constScanLine(0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(row), 9),
        QByteArray("\xff\xff\xff" "\x00\x00\x00" "\xff\x7f\x7f", 9));

    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50)});
    indexed.setPixel(0, 0, 1);
    indexed.setPixel(1, 0, 0);
    const QImage fromIndexed = platform::toBgr888(indexed);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(fromIndexed.constScanLine(0)), 6),
        QByteArray("\x32\x64\xc8\x1e\x14\x0a", 6));
}

TEST_F(PictureTest, ReadsCommonFormatsByContent)
{
    QImage img(5, 3, QImage::Format_RGB32);
    img.fill(qRgb(0, 128, 255));
    for (const char* format : {"PNG", "GIF", "JPEG", "BMP"}) {
        testsupport::writeFile(path("picture.dat"), encoded(img, format));
        const QImage loaded = platform::loadPicture(path("picture.dat"));
        EXPECT_EQ(loaded.size(), QSize(5, 3)) << format;
    }
}

TEST_F(PictureTest, BadFilesGiveNumberedErrorsNamingTheFile)
{
    QImage img(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            img.setPixel(x, y, qRgb(x * 6, y * 8, (x * y) & 255));

    EXPECT_EQ(errorNumberOf(path("missing.bmp")), platform::kFileNotFound);
    testsupport::writeFile(path("empty.bmp"), {});
    EXPECT_EQ(errorNumberOf(path("empty.bmp")), platform::kInvalidPicture);
    testsupport::writeFile(path("text.jpg"), "this is no picture at all");
    EXPECT_EQ(errorNumberOf(path("text.jpg")), platform::kInvalidPicture);
    for (const char* format : {"BMP", "JPEG", "GIF", "PNG"}) {
        const QByteArray whole = encoded(img, format);
        testsupport::writeFile(path("cut"), whole.left(whole.size() * 2 / 3));
        EXPECT_NE(errorNumberOf(path("cut")), 0) << format << " cut short was accepted";
        testsupport::writeFile(path("whole"), whole);
        EXPECT_EQ(errorNumberOf(path("whole")), 0) << format;
    }
}

TEST_F(PictureTest, PipesFoldersAndLinksToThemAreRefusedUnopened)
{
    const QByteArray pipe = QFile::encodeName(path("pipe.jpg"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    QDir().mkpath(path("folder.jpg"));
    ASSERT_TRUE(QFile::link(path("pipe.jpg"), path("link.jpg")));
    // Should a read wait on the pipe after all, a late writer ends the wait and the test fails.
    std::atomic<bool> done{false};
    std::thread net([&] {
        for (int i = 0; i < 500 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!done)
            ::close(::open(pipe.constData(), O_WRONLY | O_NONBLOCK));
    });
    for (const char* name : {"pipe.jpg", "folder.jpg", "link.jpg"}) {
        try {
            platform::loadPicture(path(name));
            ADD_FAILURE() << name << " was read";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), platform::kInvalidPicture) << name;
            EXPECT_EQ(e.text(), path(name) + QStringLiteral(": ファイルではありません"));
        }
    }
    done = true;
    net.join();
}

TEST_F(PictureTest, RefusesPicturesWiderOrTallerThanTheLimit)
{
    for (const auto& [w, h] : {std::pair{32767, 1}, std::pair{1, 40000}}) {
        QByteArray bmp = encoded(QImage(1, 1, QImage::Format_RGB888), "BMP");
        // A header that claims the size; the body need not exist for the refusal.
        auto put32 = [&](int at, quint32 v) {
            for (int i = 0; i < 4; ++i)
                bmp[at + i] = char(v >> (8 * i));
        };
        put32(18, quint32(w));
        put32(22, quint32(h));
        bmp.append(QByteArray(static_cast<qsizetype>(((w * 3 + 3) & ~3)) * h, '\0'));
        testsupport::writeFile(path("huge.bmp"), bmp);
        EXPECT_EQ(errorNumberOf(path("huge.bmp")), platform::kOverflow) << w << "x" << h;
    }
}

TEST_F(PictureTest, PhotosAreTurnedUprightByTheirExifOrientation)
{
    QByteArray jpeg = encoded(QImage(4, 2, QImage::Format_RGB32), "JPEG");
    // APP1 "Exif" with one IFD entry: Orientation (0x0112) = 6, turn right.
    const QByteArray tiff("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 26);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    app1.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xFF)).append(payload);
    jpeg.insert(2, app1);
    testsupport::writeFile(path("photo.jpg"), jpeg);
    EXPECT_EQ(platform::loadPicture(path("photo.jpg")).size(), QSize(2, 4));
}

} // namespace

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/") + QLatin1String(name);
}

// Where two pictures laid over white differ, the first place and colours; empty when they do not.
std::string differingPixels(const QImage& a, const QImage& b)
{
    const QImage left = platform::toBgr888(a), right = platform::toBgr888(b);
    if (left.size() != right.size())
        return "the sizes differ";
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x)
            if (left.pixel(x, y) != right.pixel(x, y))
                return QStringLiteral("(%1, %2): %3, not %4").arg(x).arg(y).arg(left.pixel(x, y), 8, 16).arg(right.pixel(x, y), 8, 16).toStdString();
    return {};
}

int transparentPixels(const QImage& picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            n += qAlpha(argb.pixel(x, y)) == 0;
    return n;
}

// The transparent colour of a 16-bit PNG is exact: PngSuite's 16-bit pictures come out as their
// 8-bit sibling does, 453 of their 1024 pixels transparent as other readers count them.
TEST(PngTransparentColour, SixteenBitPicturesMatchTheirEightBitSibling)
{
    const QImage sibling = platform::toBgr888(platform::loadPicture(fixture("tbrn2c08.png")));
    for (const char* name : {"tbbn2c16.png", "tbgn2c16.png", "tbwn0g16.png"}) {
        const QImage picture = platform::loadPicture(fixture(name));
        EXPECT_EQ(transparentPixels(picture), 453) << name;
        if (QByteArray(name) != "tbwn0g16.png") { // grey: the sibling is in colour
            EXPECT_EQ(differingPixels(picture, sibling), "") << name;
        }
    }
}

} // namespace

namespace {

// Run-length bitmaps come out as the bitmap suite draws them, the pixels their data leaves undrawn
// black; data that tries to run past the picture is read inside it or refused, never beyond.
TEST(RunLengthBitmaps, MatchTheSuitesRenderingsWithUndrawnPixelsBlack)
{
    const struct {
        const char* bitmap;
        const char* reference;
    } cases[] = {
        {"pal8rle.bmp", "ref-pal8.png"},
        {"pal4rle.bmp", "ref-pal4.png"},
        {"pal8rlecut.bmp", "ref-pal8rlecut-b.png"},
        {"pal4rlecut.bmp", "ref-pal4rlecut-b.png"},
        {"pal8rletrns.bmp", "ref-pal8rletrns-b.png"},
        {"pal4rletrns.bmp", "ref-pal4rletrns-b.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(differingPixels(platform::loadPicture(fixture(c.bitmap)), platform::loadPicture(fixture(c.reference))), "")
            << c.bitmap;
    for (const char* hostile : {"badrle.bmp", "badrlebis.bmp", "badrleter.bmp", "badrle4.bmp", "badrle4bis.bmp", "badrle4ter.bmp"}) {
        const QImage picture = platform::loadPicture(fixture(hostile));
        EXPECT_EQ(picture.size(), QSize(127, 64)) << hostile;
        EXPECT_EQ(differingPixels(platform::loadPicture(fixture(hostile)), picture), "") << hostile;
    }
    try {
        platform::loadPicture(fixture("rletopdown.bmp"));
        FAIL() << "a top-down run-length bitmap was read";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("rletopdown.bmp"))) << e.text().toStdString();
    }
}

} // namespace
