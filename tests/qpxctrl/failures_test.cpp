// Failures reach the host as clear errors, and leave the user's files and the temporary folder
// as they were, whatever the archive holds.
#include "qpxhost.h"
#include "unlha32/unlha32.h"

#include <cerrno>
#include <cstring>

using namespace testsupport;
using platform::component::AutomationError;

namespace {

using FailureTest = QpxHostTest;

// With a file already at the work bitmap path, a failing save puts it back and leaves nothing else.
TEST_F(FailureTest, AFailedSaveRaisesAnErrorAndRestoresTheTemporaryFolder)
{
    const struct {
        const char* what;
        const char* archiver; // override of the archiver library, or nullptr
        const char* name;     // relative to pics/
        QImage picture;
        int number;
    } cases[] = {
        {"folder missing", nullptr, "no-such-folder/sea.QPX", testPicture(), platform::kFileAccessError},
        {"not an archive", nullptr, "foreign/sea.QPX", testPicture(), 321},
        {"no picture", nullptr, "sea.QPX", QImage(), platform::kInvalidPicture},
        {"archiver missing", "/nonexistent/libunlha32.so", "sea.QPX", testPicture(), platform::kFileNotFound},
        {"entry missing", VELMOR_BIN_DIR "/libvelmor_platform.so", "sea.QPX", testPicture(), platform::component::kEntryPointNotFound},
    };
    QDir().mkpath(pics("foreign"));
    writeFile(pics("foreign/sea.QPX"), "not an archive at all");
    for (const auto& c : cases) {
        std::optional<ScopedEnv> archiver;
        if (c.archiver)
            archiver.emplace("VELMOR_UNLHA32_LIBRARY", c.archiver);
        auto qpx = create(); // creation never needs the archiver
        writeFile(tempFolder() + "sea.bmp", "someone's bitmap");

        const AutomationError e = errorOf([&] { save(*qpx, c.picture, pics(QString::fromUtf8(c.name))); });
        EXPECT_EQ(e.number(), c.number) << c.what << ": " << e.text().toStdString();
        EXPECT_FALSE(e.text().isEmpty()) << c.what;
        EXPECT_EQ(tempEntries(), QStringList {"sea.bmp"}) << c.what;
        EXPECT_EQ(readFile(tempFolder() + "sea.bmp"), "someone's bitmap") << c.what;
    }
    EXPECT_EQ(readFile(pics("foreign/sea.QPX")), "not an archive at all");
    EXPECT_FALSE(QFile::exists(pics("sea.QPX")));
}

TEST_F(FailureTest, AForeignOrDamagedFileFailsToOpenWithAClearError)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("good.QPX")), QVariant(-1));
    QByteArray damaged = readFile(pics("good.QPX"));
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
    writeFile(pics("damaged.QPX"), damaged);
    writeFile(pics("foreign.QPX"), QByteArray(300, 'x'));
    writeFile(pics("empty.QPX"), "");

    for (const char* name : {"damaged.QPX", "foreign.QPX", "empty.QPX"}) {
        const AutomationError e = errorOf([&] { open(*qpx, pics(QString::fromUtf8(name))); });
        EXPECT_EQ(e.number(), 321) << name << ": " << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(name))) << e.text().toStdString();
    }
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(' ').toStdString();
}

// The archiver's report of a path of thousands of bytes does not fit its buffer whole; the reason
// at its end still reaches the host.
TEST_F(FailureTest, APathOfThousandsOfBytesKeepsItsRealError)
{
    auto qpx = create();
    QString name = pics(QString());
    while (name.size() < 3900)
        name += QString(200, QLatin1Char('d')) + QLatin1Char('/'); // folders that do not exist
    name += QStringLiteral("sea.QPX");
    const AutomationError e = errorOf([&] { save(*qpx, testPicture(), name); });
    EXPECT_EQ(e.number(), platform::kFileAccessError) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << e.text().toStdString();
    EXPECT_FALSE(e.text().contains(QStringLiteral(UNLHA_REPORT_CUT))) << e.text().toStdString();
    EXPECT_TRUE(tempEntries().isEmpty());
}

TEST_F(FailureTest, AMissingArchiverFailsAtTheCallNotAtCreation)
{
    ScopedEnv archiver("VELMOR_UNLHA32_LIBRARY", "/nonexistent/libunlha32.so");
    auto qpx = create();
    writeFile(pics("sea.QPX"), "anything");
    const AutomationError e = errorOf([&] { open(*qpx, pics("sea.QPX")); });
    EXPECT_EQ(e.number(), platform::kFileNotFound);
    EXPECT_TRUE(e.text().contains("libunlha32.so")) << e.text().toStdString();
    EXPECT_TRUE(tempEntries().isEmpty());
}

// Members named like other files of the temporary folder land beside the picture in a folder of
// their own: nothing there is replaced, loaded in the picture's place, or deleted.
TEST_F(FailureTest, WhatAnArchiveHoldsNeverReachesOtherFilesOfTheTemporaryFolder)
{
    auto qpx = create();
    const QStringList planted {"VelmorOut20240101120000_01.bmp", "sea.bmp_QPXTEMP240101120000.bak", "lake.bmp"};
    QDir().mkpath(pics("hostile"));
    QStringList members;
    for (const QString& name : planted) {
        writeFile(pics("hostile/") + name, "from the archive");
        members << pics("hostile/") + name;
    }
    ASSERT_TRUE(testPicture().save(pics("hostile/sea.bmp"), "BMP"));
    ASSERT_EQ(run(binPath("unlha"), QStringList {"a", pics("sea.QPX"), pics("hostile/sea.bmp")} + members), 0);
    ASSERT_TRUE(QFile::copy(pics("sea.QPX"), pics("lake.QPX")));
    for (const QString& name : planted)
        writeFile(tempFolder() + name, "ours");

    EXPECT_TRUE(samePixels(open(*qpx, pics("sea.QPX")), testPicture()));
    // lake.QPX holds a lake.bmp that is no picture; the one in the temporary folder is not taken instead.
    EXPECT_EQ(errorOf([&] { open(*qpx, pics("lake.QPX")); }).number(), platform::kInvalidPicture);

    QStringList entries = tempEntries();
    QStringList expected = planted;
    entries.sort();
    expected.sort();
    EXPECT_EQ(entries, expected);
    for (const QString& name : planted)
        EXPECT_EQ(readFile(tempFolder() + name), "ours") << name.toStdString();
}

TEST_F(FailureTest, AStaleWorkBitmapIsNotMistakenForTheArchivesPicture)
{
    auto qpx = create();
    ASSERT_EQ(save(*qpx, testPicture(), pics("sea.QPX")), QVariant(-1));
    ASSERT_TRUE(QFile::copy(pics("sea.QPX"), pics("lake.QPX")));
    ASSERT_TRUE(testPicture(9).save(tempFolder() + "lake.bmp", "BMP"));
    const QByteArray stale = readFile(tempFolder() + "lake.bmp");

    EXPECT_TRUE(samePixels(open(*qpx, pics("lake.QPX")), testPicture())); // the archive's own bitmap
    EXPECT_EQ(readFile(tempFolder() + "lake.bmp"), stale);
}

} // namespace
