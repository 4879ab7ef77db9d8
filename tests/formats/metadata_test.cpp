// The photo's metadata in every created format, read back by exiftool, a reader that shares no
// code with ours, and compared with what it reads from the camera's own file.

#include "platform/formats/metadata.h"
#include "platform/formats/picturefile.h"
#include "platform/picture.h"
#include "tests/support/exiftool.h"
#include "tests/support/files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using formats::Format;

namespace {

using testsupport::kRotatedPhoto;
using testsupport::kThumbnailPhoto;
using testsupport::profileOf;
using testsupport::tagsOf;

struct MetadataTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    // The photo as the window shows it (upright), written as the designed bitmap, then as out in
    // format with the photo's metadata.
    QString created(const QString& photo, Format format, const QString& out) const
    {
        const QString bitmap = path(QStringLiteral("designed.bmp"));
        QFile::remove(bitmap);
        platform::savePictureBmp24(platform::loadPicture(photo), bitmap);
        formats::writeBitmapAs(bitmap, path(out), format, formats::readPhotoMetadata(photo), {});
        return path(out);
    }
};

const struct {
    Format format;
    const char* name;
} kFormats[] = {{Format::Jpeg, "out.jpg"}, {Format::Png, "out.png"}, {Format::Tiff, "out.tif"}, {Format::WebP, "out.webp"}};

TEST_F(MetadataTest, EveryFormatKeepsTheCameraDateGpsProfileAndResolutionAndStandsUpright)
{
    const QJsonObject source = tagsOf(kRotatedPhoto);
    ASSERT_EQ(source[QStringLiteral("EXIF:Orientation")].toInt(), 6) << "the fixture is a rotated photo";
    const QByteArray sourceProfile = profileOf(kRotatedPhoto);
    ASSERT_FALSE(sourceProfile.isEmpty());

    for (const auto& f : kFormats) {
        const QString out = created(kRotatedPhoto, f.format, QString::fromUtf8(f.name));
        const QJsonObject tags = tagsOf(out);
        for (const char* tag : {"EXIF:Make", "EXIF:Model", "EXIF:DateTimeOriginal", "EXIF:GPSLatitude",
                 "EXIF:GPSLongitude", "EXIF:GPSLatitudeRef", "EXIF:GPSAltitude", "EXIF:XResolution", "EXIF:YResolution",
                 "XMP:Rating", "XMP:Lens"}) {
            const QString key = QString::fromLatin1(tag);
            EXPECT_FALSE(tags[key].isUndefined()) << f.name << " lacks " << tag;
            EXPECT_EQ(tags[key], source[key]) << f.name << " " << tag;
        }
        EXPECT_EQ(tags[QStringLiteral("EXIF:Orientation")].toInt(1), 1) << f.name;
        EXPECT_EQ(profileOf(out), sourceProfile) << f.name;
        // Turned upright: the 306 x 408 photo stands 408 wide.
        EXPECT_EQ(tags[QStringLiteral("Composite:ImageSize")].toString(), QStringLiteral("408 306")) << f.name;
        EXPECT_EQ(tags[QStringLiteral("EXIF:ExifImageWidth")].toInt(), 408) << f.name;
        // IPTC where the format has a place for it, in the XMP where it has not (WebP).
        const QString dateCreated = f.format == Format::WebP ? QStringLiteral("XMP:DateCreated") : QStringLiteral("IPTC:DateCreated");
        EXPECT_TRUE(tags[dateCreated].toString().startsWith(QStringLiteral("2014:10:31"))) << f.name;
    }
}

TEST_F(MetadataTest, TheCamerasThumbnailOfTheUnfilteredPhotoIsDropped)
{
    ASSERT_GT(tagsOf(kThumbnailPhoto)[QStringLiteral("EXIF:ThumbnailLength")].toInt(), 0);
    for (const auto& f : kFormats) {
        const QJsonObject tags = tagsOf(created(kThumbnailPhoto, f.format, QString::fromUtf8(f.name)));
        EXPECT_TRUE(tags[QStringLiteral("EXIF:ThumbnailLength")].isUndefined()) << f.name;
        EXPECT_TRUE(tags[QStringLiteral("EXIF:ThumbnailImage")].isUndefined()) << f.name;
        EXPECT_EQ(tags[QStringLiteral("EXIF:Model")].toString(), QStringLiteral("SM-G935L")) << f.name;
    }
}

TEST_F(MetadataTest, APictureWithoutMetadataGivesAFileWithoutAny)
{
    QImage plain(40, 30, QImage::Format_RGB32);
    plain.fill(Qt::darkCyan);
    plain.setDotsPerMeterX(11811); // 300 dpi, stated by the PNG's pHYs
    plain.setDotsPerMeterY(11811);
    const QString png = path(QStringLiteral("plain.png"));
    ASSERT_TRUE(plain.save(png));
    formats::PhotoMetadata m = formats::readPhotoMetadata(png);
    EXPECT_TRUE(m.exif.empty() && m.xmp.empty() && m.iptc.empty() && m.icc.empty() && !m.resolution);
    m.resolution = formats::statedResolution(platform::loadPicture(png));
    ASSERT_TRUE(m.resolution);
    EXPECT_DOUBLE_EQ(m.resolution->x, 300);

    const QString bitmap = path(QStringLiteral("plain.bmp"));
    platform::savePictureBmp24(plain, bitmap);
    formats::writeBitmapAs(bitmap, path(QStringLiteral("plain.jpg")), Format::Jpeg, m, {});
    const QJsonObject tags = tagsOf(path(QStringLiteral("plain.jpg")));
    EXPECT_TRUE(tags[QStringLiteral("EXIF:Make")].isUndefined());
    EXPECT_EQ(tags[QStringLiteral("JFIF:XResolution")].toInt(), 300);
    EXPECT_EQ(tags[QStringLiteral("JFIF:ResolutionUnit")].toInt(), 1); // inches
}

TEST_F(MetadataTest, OnlyAnRgbProfileSuitsTheCreatedPicture)
{
    formats::PhotoMetadata m;
    m.icc.assign(132, 0);
    std::memcpy(m.icc.data() + 16, "CMYK", 4);
    EXPECT_TRUE(formats::metadataForOutput(m, 10, 10).icc.empty());
    std::memcpy(m.icc.data() + 16, "GRAY", 4);
    EXPECT_TRUE(formats::metadataForOutput(m, 10, 10).icc.empty());
    std::memcpy(m.icc.data() + 16, "RGB ", 4);
    EXPECT_EQ(formats::metadataForOutput(m, 10, 10).icc, m.icc);
}

TEST_F(MetadataTest, FilesThatAreNoPicturesHaveNoMetadataAndPipesAreNotWaitedOn)
{
    testsupport::writeFile(path(QStringLiteral("text.jpg")), "not a JPEG at all");
    const QString fifo = path(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& file : {path(QStringLiteral("text.jpg")), path(QStringLiteral("missing.jpg")), fifo, dir.path()})
        EXPECT_TRUE(formats::readPhotoMetadata(file).empty()) << file.toStdString();
}

} // namespace
