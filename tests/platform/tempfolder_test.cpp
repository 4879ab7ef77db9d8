#include "platform/errors.h"
#include "platform/tempfolder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace {

struct TempFolderTest : ::testing::Test {
    stdfs::path base;
    QByteArray oldTmpdir;
    std::string ours;
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-tf-XXXXXX";
        base = ::mkdtemp(tmpl);
        oldTmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(base.string() + "/"));
        ours = base.string() + "/velmor-" + std::to_string(::getuid());
    }
    void TearDown() override
    {
        qputenv("TMPDIR", oldTmpdir);
        stdfs::remove_all(base);
    }
};

TEST_F(TempFolderTest, MadePrivateAndEndsWithSeparator)
{
    const QString folder = platform::privateTempFolder();
    EXPECT_EQ(folder.toStdString(), ours + "/");
    struct stat st {};
    ASSERT_EQ(::lstat(ours.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::privateTempFolder(), folder); // a second start reuses it
}

TEST_F(TempFolderTest, RefusesALinkAFileAndAnOpenFolder)
{
    stdfs::create_directory(base / "elsewhere");
    stdfs::create_directory_symlink(base / "elsewhere", ours);
    EXPECT_THROW(platform::privateTempFolder(), platform::RuntimeError);
    stdfs::remove(ours);

    QFile(QString::fromStdString(ours)).open(QIODevice::WriteOnly);
    EXPECT_THROW(platform::privateTempFolder(), platform::RuntimeError);
    stdfs::remove(ours);

    ::mkdir(ours.c_str(), 0700);
    ::chmod(ours.c_str(), 0777);
    try {
        platform::privateTempFolder();
        FAIL() << "an open folder was accepted";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(QString::fromStdString(ours)));
    }
}

} // namespace
