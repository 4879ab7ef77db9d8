// Each format's writer against the designed bitmap it is fed from: the file starts with the
// format's signature and, read back by Qt's own readers, holds the same pixels (JPEG within its
// loss). A failed write leaves the destination as it was.

#include "platform/errors.h"
#include "platform/formats/picturefile.h"
#include "platform/picture.h"
#include "tests/support/files.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using formats::Format;

namespace {

// Smooth gradients, a hard edge and fine grain, like a tinted photo; the odd width pads the rows.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int grain = int((x * 7919u + y * 104729u) % 13u);
            const int grey = std::min(255, (x * 255 / w + y * 128 / h) / 2 + grain + (x > w / 2 ? 60 : 0));
            img.setPixel(x, y, qRgb(std::min(255, grey * 3 / 2), std::min(255, grey * 3 / 2), grey / 2));
        }
    return img;
}

QImage readBack(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read().convertToFormat(QImage::Format_RGB888);
}

double psnr(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i) {
            const double d = double(a.constScanLine(y)[i]) - double(b.constScanLine(y)[i]);
            sum += d * d;
        }
    const double mse = sum / (double(a.width()) * a.height() * 3);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct WritersTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString bitmapOf(const QImage& picture) const
    {
        const QString file = path(QStringLiteral("designed.bmp"));
        QFile::remove(file);
        platform::savePictureBmp24(picture, file);
        return file;
    }
    QStringList leftovers() const
    {
        return QDir(dir.path()).entryList(QStringList{QStringLiteral(".*tmp*")}, QDir::Files | QDir::Hidden);
    }
};

const struct {
    Format format;
    const char* name;
    QByteArray signature;
    int signatureAt;
} kFormats[] = {
    {Format::Jpeg, "out.jpg", QByteArray("\xFF\xD8\xFF", 3), 0},
    {Format::Png, "out.png", QByteArray("\x89PNG\r\n\x1A\n", 8), 0},
    {Format::Tiff, "out.tif", QByteArray("II*\0", 4), 0},
    {Format::WebP, "out.webp", QByteArray("WEBP"), 8},
};

TEST_F(WritersTest, EachFormatStartsWithItsSignatureAndHoldsTheBitmapsPixels)
{
    const QImage picture = photo(301, 203);
    const QString bitmap = bitmapOf(picture);
    const QImage designed = readBack(bitmap);
    for (const auto& f : kFormats) {
        const QString out = path(QString::fromUtf8(f.name));
        formats::writeBitmapAs(bitmap, out, f.format, {}, {});
        const QByteArray bytes = testsupport::readFile(out);
        EXPECT_EQ(bytes.mid(f.signatureAt, f.signature.size()), f.signature) << f.name;
        const QImage back = readBack(out);
        ASSERT_EQ(back.size(), designed.size()) << f.name;
        if (f.format == Format::Jpeg)
            EXPECT_GE(psnr(back, designed), 32.0) << f.name;
        else
            EXPECT_EQ(back, designed) << f.name;
    }
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(WritersTest, JpegQualityIsTheOnePassedIn)
{
    const QString bitmap = bitmapOf(photo(200, 120));
    formats::writeBitmapAs(bitmap, path(QStringLiteral("low.jpg")), Format::Jpeg, {}, {20});
    formats::writeBitmapAs(bitmap, path(QStringLiteral("high.jpg")), Format::Jpeg, {}, {95});
    const QImage designed = readBack(bitmap);
    EXPECT_LT(psnr(readBack(path(QStringLiteral("low.jpg"))), designed), psnr(readBack(path(QStringLiteral("high.jpg"))), designed));
    EXPECT_LT(QFileInfo(path(QStringLiteral("low.jpg"))).size(), QFileInfo(path(QStringLiteral("high.jpg"))).size());
}

TEST_F(WritersTest, AWriteThatFailsLeavesTheDestinationAsItWas)
{
    const QString bitmap = bitmapOf(photo(400, 300));
    // The file system takes 8 KiB and no more, as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit small {8192, old.rlim_max};
    for (const auto& f : kFormats) {
        const QString out = path(QString::fromUtf8(f.name));
        testsupport::writeFile(out, "precious");
        ::setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_THROW(formats::writeBitmapAs(bitmap, out, f.format, {}, {}), platform::RuntimeError) << f.name;
        ::setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(testsupport::readFile(out), "precious") << f.name;
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(WritersTest, APictureTooLargeForWebPIsRefusedBeforeAnythingIsWritten)
{
    const QString out = path(QStringLiteral("wide.webp"));
    try {
        formats::PictureFile file(out, Format::WebP, 16384, 2, {}, {});
        FAIL() << "a 16384-pixel WebP was accepted";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("16383"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().startsWith(out));
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(WritersTest, AFileThatIsNoDesignedBitmapIsNamedInTheError)
{
    const QString notBitmap = path(QStringLiteral("text.bmp"));
    testsupport::writeFile(notBitmap, "just some text, not a picture at all, long enough for a header");
    try {
        formats::writeBitmapAs(notBitmap, path(QStringLiteral("out.png")), Format::Png, {}, {});
        FAIL();
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().startsWith(notBitmap)) << e.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.png"))));
}

} // namespace
