// Create in the window writes the format the destination's name says and carries the photo's
// metadata into it, read back by exiftool (an outside reader) from a real camera's photo.

#include "road.h"
#include "tests/support/exiftool.h"

#include <QImageReader>

namespace {

using testsupport::profileOf;
using testsupport::tagsOf;

using CreateFormats = RoadFixture;

TEST_F(CreateFormats, APhotoSavedAsEachFormatKeepsItsMetadataAndStandsUpright)
{
    frmMain& w = open();
    const QString photo = pictures + QStringLiteral("koi.jpg");
    ASSERT_TRUE(QFile::copy(testsupport::kRotatedPhoto, photo));
    browse(photo);
    w.optFilt[1]->click();
    const QJsonObject source = tagsOf(photo);
    ASSERT_EQ(source[QStringLiteral("EXIF:Orientation")].toInt(), 6);

    for (const char* name : {"koi_ｾﾋﾟｱ.jpg", "koi_ｾﾋﾟｱ.png", "koi_ｾﾋﾟｱ.tif", "koi_ｾﾋﾟｱ.webp"}) {
        const QString out = pictures + QString::fromUtf8(name);
        create(out);
        ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        const QJsonObject tags = tagsOf(out);
        for (const char* tag : {"EXIF:Make", "EXIF:Model", "EXIF:DateTimeOriginal", "EXIF:GPSLatitude", "EXIF:GPSLongitude"})
            EXPECT_EQ(tags[QLatin1String(tag)], source[QLatin1String(tag)]) << name << " " << tag;
        EXPECT_EQ(tags[QStringLiteral("EXIF:Orientation")].toInt(1), 1) << name;
        EXPECT_EQ(profileOf(out), profileOf(photo)) << name;
        EXPECT_EQ(QImageReader(out).size(), w.views().source().size()) << name << " stands as the window shows it";
    }
    EXPECT_TRUE(tempFiles().isEmpty());
    // Each Create proposed the photo's name with the filter's caption.
    EXPECT_EQ(dialogs->fileRequests.back().fileName, pictures + QStringLiteral("koi_ｾﾋﾟｱ.bmp"));
}

TEST_F(CreateFormats, TheJpegQualityComesFromTheSettingsStore)
{
    open();
    browse(write(QStringLiteral("png"), QStringLiteral("big.png"), sample(400, 300)));
    create(pictures + QStringLiteral("default.jpg"));
    store(QStringLiteral("Setting/JpegQuality"), QStringLiteral("15"));
    create(pictures + QStringLiteral("low.jpg"));
    store(QStringLiteral("Setting/JpegQuality"), QStringLiteral("500"));
    create(pictures + QStringLiteral("nonsense.jpg"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const auto size = [&](const char* name) { return QFileInfo(pictures + QLatin1String(name)).size(); };
    EXPECT_LT(size("low.jpg"), size("default.jpg"));
    EXPECT_EQ(size("nonsense.jpg"), size("default.jpg")) << "a stored value outside 1 to 100 gives 90";
}

TEST_F(CreateFormats, APictureAFormatCannotHoldIsRefusedAndTheOutputKeptForAnotherTry)
{
    frmMain& w = open();
    QImage wide(16384, 2, QImage::Format_RGB32);
    wide.fill(Qt::gray);
    browse(write(QStringLiteral("png"), QStringLiteral("wide.png"), wide));
    w.cmdPrev->click();
    const QString output = w.session().OutputTempPath();
    create(pictures + QStringLiteral("wide.webp"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("16383"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("wide.webp は変更されていません"))) << messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(pictures + QStringLiteral("wide.webp")));
    EXPECT_EQ(w.session().OutputTempPath(), output);
    EXPECT_TRUE(w.session().PreviewFresh()) << "a retry writes without rendering";
    create(pictures + QStringLiteral("wide-sepia.png"));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(QFile::exists(pictures + QStringLiteral("wide-sepia.png")));
}

} // namespace
