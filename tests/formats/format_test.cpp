#include "platform/formats/format.h"

#include <gtest/gtest.h>

using formats::Format;

namespace {

TEST(Format, TheNameDecidesInAnyCaseAndEverythingElseIsABitmap)
{
    const struct {
        const char* path;
        Format format;
    } cases[] = {
        {"koi.jpg", Format::Jpeg}, {"KOI.JPEG", Format::Jpeg}, {"a/b.Png", Format::Png}, {"scan.tif", Format::Tiff},
        {"scan.TIFF", Format::Tiff}, {"web.webp", Format::WebP}, {"out.bmp", Format::Bitmap}, {"out.BMP", Format::Bitmap},
        {"out.gif", Format::Bitmap}, {"noextension", Format::Bitmap}, {"photo.jpg.bmp", Format::Bitmap},
        {"jpg", Format::Bitmap}, {"dir.png/out", Format::Bitmap}, {"out.jpgx", Format::Bitmap},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formats::formatOf(QString::fromUtf8(c.path)), c.format) << c.path;
}

TEST(Format, ExtensionsNameFormatsBothWays)
{
    for (Format f : {Format::Bitmap, Format::Jpeg, Format::Png, Format::Tiff, Format::WebP}) {
        EXPECT_EQ(formats::formatNamed(formats::extensionOf(f)), f);
        EXPECT_EQ(formats::formatOf(QStringLiteral("x.") + formats::extensionOf(f)), f);
    }
    EXPECT_EQ(formats::formatNamed(QStringLiteral("TIFF")), Format::Tiff);
    EXPECT_FALSE(formats::formatNamed(QStringLiteral("gif")));
}

TEST(Format, OnlyWebPRefusesPicturesTheSystemHandles)
{
    EXPECT_TRUE(formats::sizeProblem(Format::WebP, 16383, 16383).isEmpty());
    const QString problem = formats::sizeProblem(Format::WebP, 16384, 10);
    EXPECT_TRUE(problem.contains(QStringLiteral("16383")) && problem.contains(QStringLiteral("WebP"))) << problem.toStdString();
    for (Format f : {Format::Jpeg, Format::Png, Format::Tiff})
        EXPECT_TRUE(formats::sizeProblem(f, 32766, 32766).isEmpty());
}

TEST(Format, StoredJpegQualityOutsideOneToHundredGivesTheDefault)
{
    EXPECT_EQ(formats::jpegQualityFromSetting(QStringLiteral("75")), 75);
    EXPECT_EQ(formats::jpegQualityFromSetting(QStringLiteral(" 100 ")), 100);
    for (const char* bad : {"", "0", "101", "-5", "high", "9O"})
        EXPECT_EQ(formats::jpegQualityFromSetting(QString::fromUtf8(bad)), 90) << bad;
}

} // namespace
