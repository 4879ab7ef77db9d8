// velmor-filter writes the format the output's name says, with the photo's metadata read back by
// exiftool (an outside reader); bitmaps keep their designed bytes.

#include "tests/cli/filter_run.h"
#include "tests/support/exiftool.h"

#include "platform/formats/metadata.h"
#include "platform/formats/picturefile.h"
#include "platform/picture.h"

#include <QImageReader>
#include <cmath>

namespace {

using velmorfilter::Outcome;
using velmorfilter::VelmorFilterTest;

using testsupport::kRotatedPhoto;
using testsupport::profileOf;
using testsupport::tagsOf;

QImage pixelsOf(const QByteArray& bytes)
{
    QImage image = QImage::fromData(bytes);
    return image.convertToFormat(QImage::Format_RGB888);
}

double psnr(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i) {
            const double d = double(a.constScanLine(y)[i]) - b.constScanLine(y)[i];
            sum += d * d;
        }
    return 10 * std::log10(255.0 * 255.0 * a.width() * a.height() * 3 / std::max(sum, 1e-9));
}

const struct {
    const char* name;
    QByteArray signature;
    int signatureAt;
} kFormats[] = {
    {"out.jpg", QByteArray("\xFF\xD8\xFF", 3), 0},
    {"OUT.JPEG", QByteArray("\xFF\xD8\xFF", 3), 0},
    {"out.png", QByteArray("\x89PNG", 4), 0},
    {"out.tif", QByteArray("II*\0", 4), 0},
    {"out.TIFF", QByteArray("II*\0", 4), 0},
    {"out.webp", QByteArray("WEBP"), 8},
};

TEST_F(VelmorFilterTest, TheOutputsNameChoosesItsFormatAndLosslessOnesHoldTheWindowsPixels)
{
    const QString input = path(QStringLiteral("in.png"));
    testsupport::writeFile(input, encoded(photo(45, 31), "PNG"));
    const QImage designed = pixelsOf(windowResult(input, 0x0040C0C0));
    for (const auto& f : kFormats) {
        const QString out = path(QString::fromLatin1(f.name));
        const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), QStringLiteral("-o"), out, input});
        ASSERT_EQ(r.exitCode, 0) << f.name << r.err.toStdString();
        const QByteArray bytes = testsupport::readFile(out);
        EXPECT_EQ(bytes.mid(f.signatureAt, f.signature.size()), f.signature) << f.name;
        const QImage written = pixelsOf(bytes);
        ASSERT_EQ(written.size(), designed.size()) << f.name;
        if (bytes.startsWith("\xFF\xD8"))
            EXPECT_GE(psnr(written, designed), 32.0) << f.name;
        else
            EXPECT_EQ(written, designed) << f.name;
    }
    EXPECT_TRUE(litter().isEmpty());
}

TEST_F(VelmorFilterTest, BitmapNamesAndUnknownExtensionsKeepTheDesignedBytes)
{
    const QString input = path(QStringLiteral("in.jpg"));
    testsupport::writeFile(input, encoded(photo(13, 7), "JPEG"));
    const QByteArray designed = windowResult(input, 0x004040C0);
    for (const char* name : {"out.bmp", "OUT.BMP", "out.xyz", "out.jpg.bmp", "noextension"}) {
        const QString out = path(QString::fromLatin1(name));
        ASSERT_EQ(run({QStringLiteral("-f"), QStringLiteral("red"), QStringLiteral("-o"), out, input}).exitCode, 0) << name;
        EXPECT_EQ(testsupport::readFile(out), designed) << name;
    }
}

TEST_F(VelmorFilterTest, AFolderGetsTheTypeAskedForAndJpegQualityFollowsTheOptionOrTheSetting)
{
    const QString input = path(QStringLiteral("koi.png"));
    testsupport::writeFile(input, encoded(photo(120, 90), "PNG"));
    QDir().mkpath(path(QStringLiteral("album")));
    auto jpegSize = [&](const QStringList& extra) {
        const Outcome r = run(QStringList{QStringLiteral("-q"), QStringLiteral("-d"), path(QStringLiteral("album")), QStringLiteral("-t"),
                                  QStringLiteral("jpg")} + extra + QStringList{input});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return testsupport::readFile(path(QStringLiteral("album/koi.jpg"))).size();
    };
    const qsizetype byDefault = jpegSize({});
    EXPECT_TRUE(testsupport::readFile(path(QStringLiteral("album/koi.jpg"))).startsWith("\xFF\xD8\xFF"));
    EXPECT_LT(jpegSize({QStringLiteral("-Q"), QStringLiteral("20")}), byDefault);
    EXPECT_GT(jpegSize({QStringLiteral("-Q"), QStringLiteral("100")}), byDefault);

    QDir().mkpath(path(QStringLiteral("config/Velmor")));
    testsupport::writeFile(path(QStringLiteral("config/Velmor/Velmor.conf")), "[Setting]\nJpegQuality=20\n");
    const qsizetype stored = jpegSize({});
    EXPECT_LT(stored, byDefault);
    EXPECT_GT(jpegSize({QStringLiteral("-Q"), QStringLiteral("90")}), stored) << "-Q goes before the setting";
    testsupport::writeFile(path(QStringLiteral("config/Velmor/Velmor.conf")), "[Setting]\nJpegQuality=nonsense\n");
    EXPECT_EQ(jpegSize({}), byDefault);
}

TEST_F(VelmorFilterTest, ARealPhotosMetadataTravelsIntoEveryFormatAndItStandsUpright)
{
    const QJsonObject source = tagsOf(kRotatedPhoto);
    ASSERT_EQ(source[QStringLiteral("EXIF:Orientation")].toInt(), 6);
    const QByteArray profile = profileOf(kRotatedPhoto);
    for (const char* name : {"koi.jpg", "koi.png", "koi.tif", "koi.webp"}) {
        const QString out = path(QString::fromLatin1(name));
        const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), QStringLiteral("-o"), out, kRotatedPhoto});
        ASSERT_EQ(r.exitCode, 0) << name << r.err.toStdString();
        const QJsonObject tags = tagsOf(out);
        for (const char* tag : {"EXIF:Make", "EXIF:Model", "EXIF:DateTimeOriginal", "EXIF:GPSLatitude", "EXIF:GPSLongitude"})
            EXPECT_EQ(tags[QLatin1String(tag)], source[QLatin1String(tag)]) << name << " " << tag;
        EXPECT_EQ(tags[QStringLiteral("EXIF:Orientation")].toInt(1), 1) << name;
        EXPECT_EQ(profileOf(out), profile) << name;
        EXPECT_EQ(QImageReader(out).size(), QSize(408, 306)) << name << " is turned upright";
    }
}

// An upright camera photo goes through velmor-filter a row at a time; each format holds the bytes
// the window's Create writes for it, which renders the picture held whole.
TEST_F(VelmorFilterTest, AnUprightPhotoReadARowAtATimeGivesTheBytesCreateWritesInEveryFormat)
{
    const QString input = QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/landscape1.jpg");
    const QString designed = path(QStringLiteral("designed.bmp"));
    testsupport::writeFile(designed, windowResult(input, 0x0040C0C0));
    formats::PhotoMetadata metadata = formats::readPhotoMetadata(input);
    if (!metadata.resolution)
        metadata.resolution = formats::statedResolution(platform::loadPicture(input));
    for (const auto& [name, format] : {std::pair{"out.jpg", formats::Format::Jpeg}, std::pair{"out.png", formats::Format::Png},
             std::pair{"out.tif", formats::Format::Tiff}}) {
        const QString out = path(QString::fromLatin1(name));
        const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), QStringLiteral("-o"), out, input});
        ASSERT_EQ(r.exitCode, 0) << name << r.err.toStdString();
        const QString created = path(QStringLiteral("created-") + QString::fromLatin1(name));
        formats::writeBitmapAs(designed, created, format, metadata, {});
        EXPECT_TRUE(testsupport::readFile(out) == testsupport::readFile(created)) << name;
    }
}

TEST_F(VelmorFilterTest, AFormatThatCannotHoldThePictureIsRefusedWithNothingWritten)
{
    // 16384 pixels wide: more than WebP holds, well within the others.
    QImage wide(16384, 2, QImage::Format_RGB32);
    wide.fill(Qt::gray);
    testsupport::writeFile(path(QStringLiteral("wide.png")), encoded(wide, "PNG"));
    const Outcome r = run({QStringLiteral("-o"), path(QStringLiteral("wide.webp")), path(QStringLiteral("wide.png"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("16383"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("wide.webp"))));
    EXPECT_EQ(run({QStringLiteral("-o"), path(QStringLiteral("wide.png.tif")), path(QStringLiteral("wide.png"))}).exitCode, 0);
    EXPECT_TRUE(litter().isEmpty());
}

TEST_F(VelmorFilterTest, HelpSpeaksTheLocalesLanguage)
{
    QProcess p;
    auto help = [&](const char* lang) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove(QStringLiteral("LC_ALL"));
        e.remove(QStringLiteral("LC_MESSAGES"));
        e.insert(QStringLiteral("LANG"), QLatin1String(lang));
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), {QStringLiteral("--help")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString japanese = help("ja_JP.UTF-8");
    EXPECT_TRUE(japanese.startsWith(QStringLiteral("使い方"))) << japanese.toStdString();
    EXPECT_FALSE(japanese.contains(QStringLiteral("Usage")));
    const QString english = help("C.UTF-8");
    EXPECT_TRUE(english.startsWith(QStringLiteral("Usage")));
    EXPECT_FALSE(english.contains(QStringLiteral("使い方")));
}

} // namespace
