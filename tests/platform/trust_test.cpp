// Which files may be trusted with this account's code: owned by root or by us, and no folder above
// them writable by another account unless it is sticky.
#include "platform/trust.h"
#include "tests/support/otheraccount.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace stdfs = std::filesystem;

struct TrustTest : ::testing::Test {
    QTemporaryDir dir; // /tmp is sticky: what we make below it is ours alone
    std::string root() const { return dir.path().toStdString(); }

    std::string file(const std::string& relative, mode_t mode = 0644) const
    {
        const std::string path = root() + "/" + relative;
        stdfs::create_directories(stdfs::path(path).parent_path());
        std::ofstream(path) << "module";
        ::chmod(path.c_str(), mode);
        return path;
    }
    static platform::TrustVerdict check(const std::string& path)
    {
        return platform::checkTrustedFile(QString::fromStdString(path));
    }
};

TEST_F(TrustTest, OwnFilesInOwnFoldersAreTrustedAndOthersWritableOnesAreNot)
{
    const struct {
        const char* what;
        const char* file;
        mode_t fileMode;
        const char* folder; // relative, chmod'ed to folderMode; nullptr for none
        mode_t folderMode;
        bool trusted;
        const char* blamed; // what the reason names
    } cases[] = {
        {"ours", "a/lib.so", 0644, "a", 0755, true, ""},
        {"group may write the file", "b/lib.so", 0664, "b", 0755, false, "b/lib.so"},
        {"anyone may write the file", "c/lib.so", 0646, "c", 0755, false, "c/lib.so"},
        {"anyone may write the folder", "d/lib.so", 0644, "d", 0777, false, "d"},
        {"group may write a folder further up", "e/sub/lib.so", 0644, "e", 0775, false, "e"},
        {"a sticky folder anyone may write, as /tmp", "f/lib.so", 0644, "f", 01777, true, ""},
    };
    for (const auto& c : cases) {
        const std::string path = file(c.file, c.fileMode);
        if (c.folder)
            ::chmod((root() + "/" + c.folder).c_str(), c.folderMode);
        const platform::TrustVerdict v = check(path);
        EXPECT_EQ(v.trusted, c.trusted) << c.what << ": " << v.reason.toStdString();
        if (c.trusted) {
            EXPECT_EQ(v.resolved.toStdString(), path) << c.what;
            continue;
        }
        EXPECT_FALSE(v.missing) << c.what;
        EXPECT_TRUE(v.reason.contains(QString::fromStdString(root() + "/" + c.blamed))) << c.what << ": " << v.reason.toStdString();
    }
}

TEST_F(TrustTest, LinksAreJudgedByWhatTheyLeadToAndNothingButAFileIsOpened)
{
    const std::string real = file("real/lib.so");
    stdfs::create_directory(root() + "/open");
    ::chmod((root() + "/open").c_str(), 0777);
    stdfs::create_symlink(real, root() + "/open/link.so");
    // The link sits where anyone may write, but what gets loaded is the resolved file.
    const platform::TrustVerdict linked = check(root() + "/open/link.so");
    EXPECT_TRUE(linked.trusted) << linked.reason.toStdString();
    EXPECT_EQ(linked.resolved.toStdString(), real);

    ASSERT_EQ(::mkfifo((root() + "/real/fifo.so").c_str(), 0644), 0);
    const platform::TrustVerdict fifo = check(root() + "/real/fifo.so"); // would block if opened
    EXPECT_FALSE(fifo.trusted);
    EXPECT_TRUE(fifo.reason.contains(QStringLiteral("通常のファイルではありません"))) << fifo.reason.toStdString();
    EXPECT_FALSE(check(root() + "/real").trusted);

    const platform::TrustVerdict gone = check(root() + "/real/gone.so");
    EXPECT_FALSE(gone.trusted);
    EXPECT_TRUE(gone.missing);
}

TEST_F(TrustTest, WhatAnotherAccountOwnsIsNeverTrusted)
{
    REQUIRE_OTHER_ACCOUNT(other);
    const std::string theirs = file("theirs/lib.so");
    testsupport::giveTo(*other, QByteArray::fromStdString(theirs));
    const platform::TrustVerdict v = check(theirs);
    EXPECT_FALSE(v.trusted);
    EXPECT_TRUE(v.reason.contains(QString::fromLatin1(testsupport::kOtherAccountName))) << v.reason.toStdString();

    // Our file in their folder: they could swap it for another at any time.
    const std::string inTheirFolder = file("folder/lib.so");
    testsupport::giveTo(*other, QByteArray::fromStdString(root() + "/folder"));
    EXPECT_FALSE(check(inTheirFolder).trusted);

    // In a sticky folder anyone may write, only an entry of ours (or root's) will do.
    stdfs::create_directory(root() + "/shared");
    ::chmod((root() + "/shared").c_str(), 01777);
    const std::string planted = file("shared/lib.so");
    testsupport::giveTo(*other, QByteArray::fromStdString(planted));
    EXPECT_FALSE(check(planted).trusted);
    const std::string plantedFolder = file("shared/sub/lib.so");
    testsupport::giveTo(*other, QByteArray::fromStdString(root() + "/shared/sub"));
    EXPECT_FALSE(check(plantedFolder).trusted);
}

} // namespace
