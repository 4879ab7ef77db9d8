// The work files of a save and an open, on their own.
#include "platform/clock.h"
#include "platform/errors.h"
#include "qpxctrl/workfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct WorkFilesTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString work = folder + QStringLiteral("sea.bmp");

    void SetUp() override
    {
        platform::setClockForTesting([] { return QDateTime(QDate(2000, 5, 22), QTime(3, 54, 8)); });
    }
    void TearDown() override { platform::setClockForTesting({}); }

    void write(const QString& path, const QByteArray& bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList entries() const { return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }
};

TEST_F(WorkFilesTest, AFileAtTheWorkPathWaitsUnderItsBackupNameAndComesBackWhateverHappens)
{
    for (const bool finished : {true, false}) {
        write(work, "original");
        {
            qpx::MovedAside aside(work);
            EXPECT_EQ(aside.backupPath(), work + QStringLiteral("_QPXTEMP000522035408.bak"));
            EXPECT_EQ(read(aside.backupPath()), "original");
            EXPECT_FALSE(QFile::exists(work));
            write(work, "work bitmap");
            aside.wroteWorkBitmap();
            if (finished)
                aside.finish();
        }
        EXPECT_EQ(entries(), QStringList {"sea.bmp"}) << finished;
        EXPECT_EQ(read(work), "original") << finished;
    }
}

TEST_F(WorkFilesTest, WithNothingMovedOnlyTheWorkBitmapWrittenIsRemoved)
{
    {
        qpx::MovedAside aside(work);
        EXPECT_TRUE(aside.backupPath().isEmpty());
    } // the save failed before writing: nothing to remove
    EXPECT_TRUE(entries().isEmpty());
    {
        qpx::MovedAside aside(work);
        write(work, "work bitmap");
        aside.wroteWorkBitmap();
    }
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(WorkFilesTest, ABackupNameAlreadyTakenIsNeverOverwritten)
{
    write(work, "original");
    write(work + QStringLiteral("_QPXTEMP000522035408.bak"), "left from before");
    EXPECT_THROW(qpx::MovedAside aside(work), platform::RuntimeError);
    EXPECT_EQ(read(work), "original");
    EXPECT_EQ(read(work + QStringLiteral("_QPXTEMP000522035408.bak")), "left from before");
}

TEST_F(WorkFilesTest, AnExtractionFolderFindsItsMemberByNameOrUnambiguousCaseAndVanishes)
{
    QString path;
    {
        qpx::ExtractionFolder extracted(folder);
        path = extracted.path();
        EXPECT_TRUE(path.startsWith(folder));
        EXPECT_TRUE(path.endsWith('/'));
        write(path + "sea.bmp", "a");
        write(path + "LAKE.BMP", "b");
        write(path + "Pond.bmp", "c");
        write(path + "POND.bmp", "d");
        EXPECT_EQ(extracted.find("sea.bmp"), path + "sea.bmp");
        EXPECT_EQ(extracted.find("lake.bmp"), path + "LAKE.BMP");
        EXPECT_EQ(extracted.find("pond.bmp"), QString()); // two candidates: neither is taken
        EXPECT_EQ(extracted.find("river.bmp"), QString());
        ASSERT_TRUE(QFile::link(path + "sea.bmp", path + "link.bmp"));
        EXPECT_EQ(extracted.find("link.bmp"), QString()); // a link is no extracted picture
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(entries().isEmpty());
}

} // namespace
