// Pictures read a row at a time give the bytes of the whole-picture reader, or are left to it.

#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"
#include "platform/picturerows.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstring>

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/") + QLatin1String(name);
}

// Every row of the picture read a row at a time, top first, as one block.
QByteArray allRows(platform::PictureRows& rows)
{
    QByteArray bytes;
    for (int y = 0; y < rows.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(rows.nextRow()), qsizetype(rows.width()) * 3);
    rows.finish();
    return bytes;
}

QByteArray wholeRows(const QString& path)
{
    const QImage bgr = platform::toBgr888(platform::loadPicture(path));
    QByteArray bytes;
    for (int y = 0; y < bgr.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(bgr.constScanLine(y)), qsizetype(bgr.width()) * 3);
    return bytes;
}

struct PictureRowsTest : ::testing::Test {
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(name);
        testsupport::writeFile(path, bytes);
        return path;
    }
    static QImage noise(int w, int h, QImage::Format format = QImage::Format_RGB32)
    {
        QImage img(w, h, QImage::Format_RGB32);
        quint32 seed = 777;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245u + 12345u;
                img.setPixel(x, y, qRgb((x * 7 + (seed >> 24)) & 255, (y * 5) & 255, (seed >> 16) & 255));
            }
        return img.convertToFormat(format);
    }
};

TEST_F(PictureRowsTest, UprightJpegsPlainPngsAndTiffsReadARowAtATimeGiveTheWholeReadersBytes)
{
    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"camera photo without orientation", fixture("landscape0.jpg")},
        {"camera photo with orientation 1", fixture("landscape1.jpg")},
        {"colour, odd size", write(QStringLiteral("odd.jpg"), testsupport::encoded(noise(37, 23), "JPEG"))},
        {"grey", write(QStringLiteral("grey.jpg"), testsupport::encoded(noise(20, 9, QImage::Format_Grayscale8), "JPEG"))},
        {"PNG in colour", fixture("basn2c08.png")},
        {"PNG in grey", fixture("basn0g08.png")},
        {"PNG with a palette", fixture("basn3p08.png")},
        {"PNG with a file gamma", fixture("g03n2c08.png")},
        {"PNG with a resolution, odd size", write(QStringLiteral("odd.png"), testsupport::encoded(noise(37, 23), "PNG"))},
        {"TIFF in colour", write(QStringLiteral("colour.tif"), testsupport::encoded(noise(37, 23, QImage::Format_RGB888), "TIFF"))},
        {"TIFF in grey", write(QStringLiteral("grey.tif"), testsupport::encoded(noise(20, 9, QImage::Format_Grayscale8), "TIFF"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = platform::openPictureRows(c.path);
        ASSERT_TRUE(rows);
        const QImage whole = platform::loadPicture(c.path);
        EXPECT_EQ(rows->width(), whole.width());
        EXPECT_EQ(rows->height(), whole.height());
        if (!rows->dotsPerMetre().isEmpty()) {
            EXPECT_EQ(rows->dotsPerMetre(), QSize(whole.dotsPerMeterX(), whole.dotsPerMeterY()));
        }
        EXPECT_TRUE(allRows(*rows) == wholeRows(c.path));
    }
}

// Turned photos, progressive JPEGs, PNGs with alpha or interlaced, other formats and what is no
// picture at all are held whole.
TEST_F(PictureRowsTest, PicturesThatCannotBeReadInOrderAreLeftToTheWholeReader)
{
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(noise(40, 30)));
    }
    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"photo turned by its orientation", fixture("landscape6.jpg")},
        {"progressive", write(QStringLiteral("progressive.jpg"), progressive)},
        {"PNG with alpha", fixture("basn6a08.png")},
        {"interlaced PNG", fixture("basi2c08.png")},
        {"TIFF with alpha", write(QStringLiteral("alpha.tif"), testsupport::encoded(noise(8, 8, QImage::Format_ARGB32), "TIFF"))},
        {"PNG cut short", write(QStringLiteral("cut.png"), testsupport::encoded(noise(8, 8), "PNG").chopped(20))},
        {"bitmap", write(QStringLiteral("a.bmp"), testsupport::encoded(noise(8, 8), "BMP"))},
        {"empty", write(QStringLiteral("empty.jpg"), {})},
        {"missing", dir.filePath(QStringLiteral("missing.jpg"))},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(platform::openPictureRows(c.path)) << c.what;
}

// A JPEG cut short gives its rows up to the cut, then the damage the whole reader reports.
TEST_F(PictureRowsTest, AJpegCutShortIsReportedAsDamagedAsTheWholeReaderReportsIt)
{
    const QByteArray jpeg = testsupport::encoded(noise(64, 64), "JPEG");
    const QString path = write(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() * 2 / 3));
    const auto rows = platform::openPictureRows(path);
    ASSERT_TRUE(rows);
    try {
        allRows(*rows);
        FAIL() << "a picture cut short was read whole";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::kInvalidPicture);
        EXPECT_TRUE(e.text().endsWith(platform::damagedPictureMessage())) << e.text().toStdString();
    }
    EXPECT_THROW(platform::loadPicture(path), platform::RuntimeError);
}

} // namespace
