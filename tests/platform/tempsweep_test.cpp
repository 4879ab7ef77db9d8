#include "platform/tempfolder.h"
#include "platform/tempsweep.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A process id that no longer runs: a child that has ended and been reaped.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

struct TempSweepTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void folder(const QString& name) const
    {
        QDir().mkpath(path(name));
        QFile f(path(name + QStringLiteral("/IMG_0001.bmp")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half a picture");
    }
    void file(const QString& name) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QString mine, ended, reused, ownerless, fresh;
    void SetUp() override
    {
        const std::string self = platform::processStamp(::getpid());
        ASSERT_FALSE(self.empty());
        mine = QStringLiteral("QPXOPEN_%1_Ab12Cd").arg(QString::fromStdString(self));
        ended = QStringLiteral("QPXSAVE_%1.123_Xy34Zw").arg(endedProcess());
        // Our own id with another start time: an earlier process that had the same id.
        reused = QStringLiteral("QPXSAVE_%1.1_Qr56St").arg(::getpid());
        ownerless = QStringLiteral("QPXOPEN_k9L8m7");
        fresh = QStringLiteral("QPXOPEN_n6P5q4"); // an earlier version may be using it
        for (const QString& name : {mine, ended, reused, ownerless, fresh})
            folder(name);
        std::filesystem::last_write_time(QFile::encodeName(path(ownerless)).toStdString(),
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
        file(QStringLiteral("VelmorPrev20261207120000_001.bmp"));
        file(QStringLiteral("notes.txt"));
        file(QStringLiteral("sea.bmp")); // the user's, or an earlier version's: no way to tell
        file(QStringLiteral("outside.bmp.keep"));
        QFile::link(path(QStringLiteral("outside.bmp.keep")), path(QStringLiteral("link.bmp")));
    }
    QStringList left() const
    {
        auto names = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    }
};

TEST_F(TempSweepTest, StampNamesRunningProcessesOnly)
{
    const std::string self = platform::processStamp(::getpid());
    EXPECT_EQ(self.rfind(std::to_string(::getpid()) + ".", 0), 0u) << self;
    EXPECT_EQ(platform::processStamp(endedProcess()), "");
    EXPECT_EQ(platform::processStamp(0), "");
}

// Alone, the sweep also takes what carries no owner; links and other files stay.
TEST_F(TempSweepTest, FirstInstanceRemovesStaleAndOwnerlessWork)
{
    platform::InstanceLock lock(dir.path());
    ASSERT_TRUE(lock.alone());
    EXPECT_EQ(lock.sweep(), 4);
    QStringList expected{mine, fresh, QStringLiteral("link.bmp"), QStringLiteral("notes.txt"),
        QStringLiteral("outside.bmp.keep"), QStringLiteral("sea.bmp")};
    expected.sort();
    EXPECT_EQ(left(), expected);
    EXPECT_TRUE(QFile::exists(path(mine + QStringLiteral("/IMG_0001.bmp"))));
}

// With another instance running, only what a process that has ended owned may go.
TEST_F(TempSweepTest, LaterInstanceLeavesOwnerlessFilesToTheirInstance)
{
    platform::InstanceLock running(dir.path());
    running.sweep();
    file(QStringLiteral("VelmorPrev20261207120000_002.bmp"));
    platform::InstanceLock second(dir.path());
    EXPECT_FALSE(second.alone());
    EXPECT_EQ(second.sweep(), 0);
    folder(ended);
    EXPECT_EQ(second.sweep(), 1);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("VelmorPrev20261207120000_002.bmp"))));
    EXPECT_TRUE(QFile::exists(path(mine)));
}

// While alone, a sweep only moves what carries no owner aside; a sweep that died before removing
// it leaves a folder that the next one takes like any other of a process that has ended.
TEST_F(TempSweepTest, WhatASweepMovedAsideGoesEvenIfThatSweepDied)
{
    const QString cut = QStringLiteral("SWEEP_%1.123_Ab12Cd").arg(endedProcess());
    folder(cut);
    platform::InstanceLock lock(dir.path());
    ASSERT_TRUE(lock.alone());
    EXPECT_EQ(lock.sweep(), 4); // the cut sweep's folder is not counted: it was moved there before
    const QStringList names = left();
    EXPECT_FALSE(names.contains(cut));
    for (const QString& name : names)
        EXPECT_FALSE(name.startsWith(QStringLiteral("SWEEP_"))) << name.toStdString();
}

// Any process that uses the folder counts as running: a host of the QPX control as much as the window.
TEST_F(TempSweepTest, UsingTheFolderMakesAProcessAnInstance)
{
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    const QString folder = platform::privateTempFolder();
    qputenv("TMPDIR", old);
    platform::InstanceLock other(folder);
    EXPECT_FALSE(other.alone());
}

} // namespace
