// The work files of a save and an open, on their own.
#include "qpxctrl/workfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

struct WorkFilesTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');

    void write(const QString& path, const QByteArray& bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList entries() const { return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }
};

TEST_F(WorkFilesTest, AnExtractionFolderFindsItsMemberByNameOrUnambiguousCaseAndVanishes)
{
    QString path;
    {
        qpx::WorkFolder extracted(folder, qpx::WorkFolder::Purpose::Open);
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
        EXPECT_EQ(extracted.onlyFile(), QString());
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(entries().isEmpty());
}

// A save that fails because the process ran out of descriptors still takes its folder with it.
TEST_F(WorkFilesTest, AFolderGoesEvenWhenNoDescriptorIsLeft)
{
    QString path;
    std::vector<int> taken;
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    {
        qpx::WorkFolder save(folder, qpx::WorkFolder::Purpose::Save);
        path = save.path();
        write(path + "sea.bmp", "half a picture");
        rlimit low = old;
        low.rlim_cur = std::min<rlim_t>(old.rlim_cur, 256);
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            taken.push_back(fd);
        ASSERT_EQ(errno, EMFILE);
    }
    const bool gone = !QFileInfo::exists(path); // asked before any descriptor is given back
    for (int fd : taken)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_TRUE(gone) << path.toStdString();
}

// A sweep of stale folders reads the owner from the name: this process's id and start time.
TEST_F(WorkFilesTest, FolderNamesCarryTheirPurposeAndTheProcessThatMadeThem)
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    const QString process = QStringLiteral("%1.%2").arg(::getpid()).arg(QString::fromLatin1(fields.at(22 - 3)));

    qpx::WorkFolder save(folder, qpx::WorkFolder::Purpose::Save);
    qpx::WorkFolder again(folder, qpx::WorkFolder::Purpose::Save);
    qpx::WorkFolder open(folder, qpx::WorkFolder::Purpose::Open);
    EXPECT_EQ(qpx::workFolderPrefix(qpx::WorkFolder::Purpose::Save), "QPXSAVE_" + process + "_");
    for (const qpx::WorkFolder* f : {&save, &again, &open}) {
        const QString name = f->path().mid(folder.size()).chopped(1);
        const QString prefix = f == &open ? "QPXOPEN_" + process + "_" : "QPXSAVE_" + process + "_";
        EXPECT_TRUE(name.startsWith(prefix)) << name.toStdString();
        EXPECT_EQ(name.size(), prefix.size() + 6) << name.toStdString();
        EXPECT_EQ(QFileInfo(f->path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    }
    EXPECT_NE(save.path(), again.path());
    write(save.path() + "sea.bmp", "work");
    EXPECT_EQ(save.onlyFile(), save.path() + "sea.bmp");
}

} // namespace
