// SaveQPX and OpenQPX as a host reaches them: registered, created by identifier, called late.
#include "platform/nativepath.h"
#include "qpxhost.h"

using namespace testsupport;
using platform::component::AutomationError;

namespace {

using SaveOpenTest = QpxHostTest;

TEST_F(SaveOpenTest, APictureRoundTripsExactlyAndLeavesNoWorkFiles)
{
    auto qpx = create();
    const QImage picture = testPicture();
    EXPECT_EQ(save(*qpx, picture, pics("sea.QPX")), QVariant(-1));

    QByteArray listing;
    EXPECT_EQ(run("lhasa", {"t", pics("sea.QPX")}, &listing), 0) << listing.toStdString();
    EXPECT_EQ(run("lhasa", {"l", pics("sea.QPX")}, &listing), 0);
    EXPECT_TRUE(listing.contains("sea.bmp")) << listing.toStdString();

    const QImage opened = open(*qpx, pics("sea.QPX"));
    EXPECT_TRUE(samePixels(opened, picture));
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveOpenTest, NamesEndingInQpxAreAcceptedInAnyCaseAndOthersRefusedWithTheMessage)
{
    auto qpx = create();
    const struct {
        const char* name;  // as passed
        const char* saved; // the archive that appears, or nullptr when refused
    } cases[] = {
        {"sea.qpx", "sea.qpx"},
        {"sea.Qpx", "sea.Qpx"},
        {"sea.QPX  ", "sea.QPX"}, // trailing spaces pass the check and do not name the file
        {".QPX", ".QPX"},
        {"My Pictures/lake.QPX", "My Pictures/lake.QPX"},
        {"sea.bmp", nullptr},
    };
    QDir().mkpath(pics("My Pictures"));
    for (const auto& c : cases) {
        messages.clear();
        const QVariant result = save(*qpx, testPicture(), pics(QString::fromUtf8(c.name)));
        if (c.saved) {
            EXPECT_EQ(result, QVariant(-1)) << c.name;
            EXPECT_TRUE(QFile::exists(pics(QString::fromUtf8(c.saved)))) << c.name;
            EXPECT_TRUE(samePixels(open(*qpx, pics(QString::fromUtf8(c.saved))), testPicture())) << c.name;
            EXPECT_TRUE(messages.empty()) << c.name;
        } else {
            EXPECT_EQ(result, QVariant(0)) << c.name;
            EXPECT_FALSE(QFile::exists(pics(QString::fromUtf8(c.name)))) << c.name;
            ASSERT_EQ(messages.size(), 1u) << c.name;
            EXPECT_EQ(messages[0].text, QStringLiteral("ﾌｧｲﾙ名の拡張子がQPXではありません。"));
            EXPECT_EQ(messages[0].title, QStringLiteral("QPXControl"));
            EXPECT_EQ(messages[0].style, 48);
        }
    }
    EXPECT_FALSE(QFile::exists(pics("sea.QPX  ")));
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

TEST_F(SaveOpenTest, AFileAlreadyAtTheWorkBitmapPathKeepsItsNameAndBytes)
{
    auto qpx = create();
    writeFile(tempFolder() + "sea.bmp", "someone's bitmap");
    EXPECT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    EXPECT_EQ(tempEntries(), QStringList {"sea.bmp"});
    EXPECT_EQ(readFile(tempFolder() + "sea.bmp"), "someone's bitmap");
    // Opening reads only what it extracted, and leaves the file alone too.
    EXPECT_TRUE(samePixels(open(*qpx, pics("sea.QPX")), testPicture()));
    EXPECT_EQ(readFile(tempFolder() + "sea.bmp"), "someone's bitmap");
}

TEST_F(SaveOpenTest, SavingTwiceUnderOneNameKeepsTheSecondPicture)
{
    auto qpx = create();
    EXPECT_EQ(save(*qpx, testPicture(1), pics("sea.QPX")), QVariant(-1));
    EXPECT_EQ(save(*qpx, testPicture(2), pics("sea.QPX")), QVariant(-1));
    EXPECT_TRUE(samePixels(open(*qpx, pics("sea.QPX")), testPicture(2)));
    QByteArray listing;
    run("lhasa", {"l", pics("sea.QPX")}, &listing);
    EXPECT_EQ(listing.count("sea.bmp"), 1) << listing.toStdString();
}

// File managers rename freely: an archive whose only bitmap is named after its old name opens;
// with several bitmaps and none of the new name, which one is meant is unknowable.
TEST_F(SaveOpenTest, ARenamedArchiveOpensItsOnlyBitmapAndSeveralBitmapsFailClearly)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    ASSERT_TRUE(QFile::copy(pics("sea.QPX"), pics("lake.QPX")));
    EXPECT_TRUE(samePixels(open(*qpx, pics("lake.QPX")), testPicture()));

    ASSERT_EQ(save(*qpx, testPicture(2), pics("river.QPX")), QVariant(-1));
    QDir().mkpath(pics("more"));
    ASSERT_TRUE(QFile::copy(pics("river.QPX"), pics("more/sea.QPX")));
    ASSERT_EQ(save(*qpx, testPicture(3), pics("more/sea.QPX")), QVariant(-1)); // holds river.bmp and sea.bmp
    EXPECT_TRUE(samePixels(open(*qpx, pics("more/sea.QPX")), testPicture(3)));
    ASSERT_TRUE(QFile::rename(pics("more/sea.QPX"), pics("more/pond.QPX")));
    const AutomationError e = errorOf([&] { open(*qpx, pics("more/pond.QPX")); });
    EXPECT_EQ(e.number(), platform::kFileNotFound);
    EXPECT_TRUE(e.text().contains("pond.bmp")) << e.text().toStdString();
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

// Names that are no UTF-8, and names with a quote, are written and read as their very bytes:
// "\xff" and "\xef\xbf\xbd" (what Qt would make of it) stay two files with two pictures, and an
// archive renamed after saving still finds its only bitmap by the name it was stored under.
TEST_F(SaveOpenTest, NamesKeepTheirBytesInTheArchiveAndOnDisk)
{
    auto qpx = create();
    const QByteArray names[] = {"\xff", "\xef\xbf\xbd", "x\xffy", "say \"hi\"", "\x8e\xca\x90^"};
    int seed = 0;
    for (const QByteArray& base : names) {
        const QString archive = platform::fromNativePath(QFile::encodeName(pics(QString())) + base + ".QPX");
        ASSERT_EQ(save(*qpx, testPicture(++seed), archive), QVariant(-1)) << base.toHex().constData();
    }
    seed = 0;
    for (const QByteArray& base : names) {
        const QByteArray native = QFile::encodeName(pics(QString())) + base + ".QPX";
        const QImage picture = testPicture(++seed);
        EXPECT_TRUE(samePixels(open(*qpx, platform::fromNativePath(native)), picture)) << base.toHex().constData();
        ASSERT_EQ(::rename(native.constData(), QFile::encodeName(pics("renamed.QPX")).constData()), 0);
        EXPECT_TRUE(samePixels(open(*qpx, pics("renamed.QPX")), picture)) << "renamed " << base.toHex().constData();
        ASSERT_EQ(::unlink(QFile::encodeName(pics("renamed.QPX")).constData()), 0); // QDir cannot name it
    }
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
    EXPECT_TRUE(messages.empty());
}

TEST_F(SaveOpenTest, AnLzhFromAnotherArchiverHoldingSeaBmpOpens)
{
    auto qpx = create();
    const QString fixtures = QStringLiteral(VELMOR_SOURCE_DIR "/tests/qpxctrl/fixtures/");
    EXPECT_TRUE(samePixels(open(*qpx, fixtures + "sea.lzh"), QImage(fixtures + "sea.bmp")));
}

TEST_F(SaveOpenTest, AnArchiveMadeByTheArchiverCommandOpensWhateverTheCaseOfItsMember)
{
    // An archive from a case-blind system may name the member SEA.BMP.
    auto qpx = create();
    QDir().mkpath(pics("src"));
    ASSERT_TRUE(testPicture().save(pics("src/SEA.BMP"), "BMP"));
    ASSERT_EQ(run(binPath("unlha"), {"a", pics("sea.lzh"), pics("src/SEA.BMP")}), 0);
    EXPECT_TRUE(samePixels(open(*qpx, pics("sea.lzh")), testPicture()));
}

TEST_F(SaveOpenTest, AMissingFileGivesTheMessageAndNoPictureWithoutCallingTheArchiver)
{
    ScopedEnv noArchiver("VELMOR_UNLHA32_LIBRARY", "/nonexistent/libunlha32.so");
    auto qpx = create();
    EXPECT_TRUE(open(*qpx, pics("nothing.QPX")).isNull());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("指定のQPXﾌｧｲﾙはありません。"));
    EXPECT_EQ(messages[0].title, QStringLiteral("QPXControl"));
    EXPECT_EQ(messages[0].style, 48);
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(SaveOpenTest, AnExistingNameWithoutExtensionIsAnInvalidArgument)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    ASSERT_TRUE(QFile::copy(pics("sea.QPX"), pics("sea")));
    EXPECT_EQ(errorOf([&] { open(*qpx, pics("sea")); }).number(), platform::kInvalidArgument);
}

} // namespace
