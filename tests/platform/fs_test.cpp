#include "platform/bmp24.h"
#include "platform/fs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;
using namespace platform;

namespace {

struct FsTest : ::testing::Test {
    stdfs::path dir;
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-fs-XXXXXX";
        dir = ::mkdtemp(tmpl);
    }
    void TearDown() override { stdfs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    static std::string slurp(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void spit(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
};

TEST_F(FsTest, OnlyRegularFilesAreOrdinaryAndLinksAreNotFollowed)
{
    spit(path("file"), "x");
    stdfs::create_directory(path("folder"));
    stdfs::create_symlink(path("file"), path("link"));
    EXPECT_TRUE(fs::isOrdinaryFile(path("file")));
    EXPECT_FALSE(fs::isOrdinaryFile(path("folder")));
    EXPECT_FALSE(fs::isOrdinaryFile(path("link")));
    EXPECT_FALSE(fs::isOrdinaryFile(path("missing")));
    EXPECT_FALSE(fs::isOrdinaryFile(""));
    EXPECT_FALSE(fs::isOrdinaryFile("/dev/null"));
}

TEST_F(FsTest, ExclusiveCreationRefusesTakenNamesAndPlantedLinks)
{
    spit(path("taken"), "keep");
    stdfs::create_symlink(path("target"), path("planted"));
    EXPECT_EQ(fs::createExclusive(path("taken")), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(fs::createExclusive(path("planted")), -1);
    EXPECT_FALSE(stdfs::exists(path("target")));
    EXPECT_EQ(slurp(path("taken")), "keep");
    const int fd = fs::createExclusive(path("new"));
    ASSERT_GE(fd, 0);
    ::close(fd);
}

TEST_F(FsTest, AtomicFileReplacesWholeAndKeepsTheMode)
{
    spit(path("out"), "old content");
    ::chmod(path("out").c_str(), 0640);
    {
        fs::AtomicFile f(path("out"));
        f.write("new", 3);
        EXPECT_EQ(slurp(path("out")), "old content"); // untouched until commit
        f.commit();
    }
    EXPECT_EQ(slurp(path("out")), "new");
    struct stat st {};
    ::stat(path("out").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(stdfs::directory_iterator(dir), stdfs::directory_iterator{}), 1);
}

TEST_F(FsTest, AtomicFileWithoutCommitLeavesTheOldFileAndNoLitter)
{
    spit(path("out"), "old");
    {
        fs::AtomicFile f(path("out"));
        f.write("partial", 7);
    }
    EXPECT_EQ(slurp(path("out")), "old");
    EXPECT_EQ(std::distance(stdfs::directory_iterator(dir), stdfs::directory_iterator{}), 1);
}

TEST_F(FsTest, AtomicFileTakesTargetsWithTheLongestNames)
{
    const std::string name(255, 'n');
    {
        fs::AtomicFile f(path(name.c_str()));
        f.write("x", 1);
        f.commit();
    }
    EXPECT_EQ(slurp(path(name.c_str())), "x");
}

TEST_F(FsTest, AtomicFileInMissingFolderOrOverFolderFails)
{
    EXPECT_THROW(fs::AtomicFile(path("nowhere/out")), std::system_error);
    stdfs::create_directory(path("folder"));
    EXPECT_THROW(fs::AtomicFile(path("folder")), std::system_error);
}

TEST(PathParts, FolderAndBaseName)
{
    EXPECT_EQ(fs::folderOf("/a/b/c.bmp"), "/a/b");
    EXPECT_EQ(fs::folderOf("c.bmp"), ".");
    EXPECT_EQ(fs::folderOf("/c.bmp"), "/");
    EXPECT_EQ(fs::baseNameOf("/a/b/c.bmp"), "c.bmp");
    EXPECT_EQ(fs::baseNameOf("c.bmp"), "c.bmp");
}

TEST(Bmp24, StrideAndPaddingForNarrowPictures)
{
    const int expectedPadding[] = {1, 2, 3, 0, 1};
    const int expectedStride[] = {4, 8, 12, 12, 16};
    for (int w = 1; w <= 5; ++w) {
        EXPECT_EQ(bmp24::padding(w), expectedPadding[w - 1]) << "W=" << w;
        EXPECT_EQ(bmp24::stride(w), expectedStride[w - 1]) << "W=" << w;
    }
    EXPECT_EQ(bmp24::fileSize(1, 1), 58);
    EXPECT_EQ(bmp24::fileSize(4, 2), 78);
}

TEST(Bmp24, HeaderFieldsAndParsing)
{
    const auto h = bmp24::header(2, 1);
    auto u32 = [&](int at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | unsigned(h[at + 3]) << 24; };
    EXPECT_EQ(h[0], 'B');
    EXPECT_EQ(h[1], 'M');
    EXPECT_EQ(u32(2), 62u);
    EXPECT_EQ(u32(6), 0u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 2u);
    EXPECT_EQ(u32(22), 1u);
    EXPECT_EQ(h[26] | h[27] << 8, 1);
    EXPECT_EQ(h[28] | h[29] << 8, 24);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), 8u);
    EXPECT_EQ(u32(46), 0u);
    EXPECT_EQ(u32(50), 0u);

    const auto layout = bmp24::parseHeader(h.data(), h.size());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, 2);
    EXPECT_EQ(layout->height, 1);

    auto topDown = h;
    topDown[25] = 0xFF; // negative height
    EXPECT_FALSE(bmp24::parseHeader(topDown.data(), topDown.size()));
    auto eightBit = h;
    eightBit[28] = 8;
    EXPECT_FALSE(bmp24::parseHeader(eightBit.data(), eightBit.size()));
    EXPECT_FALSE(bmp24::parseHeader(h.data(), 53));
}

} // namespace
