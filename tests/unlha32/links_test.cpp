// Members as Unix and Windows writers meant them: LHa for UNIX's symbolic links ("name|target"
// with a link's Unix mode) and the UTF-16 name and folder extensions of Windows writers. The
// fixtures are built from the format; bsdtar, where it reads them, must agree.
#include <gtest/gtest.h>

#include <unistd.h>

#include "fixture_builder.h"
#include "test_support.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using namespace test;

constexpr unsigned kLinkMode = 0120777;

Bytes ext(std::uint8_t type, const Bytes& data)
{
    Bytes e{type};
    e.insert(e.end(), data.begin(), data.end());
    return e;
}

Bytes utf16(const std::u16string& s, bool folder = false)
{
    Bytes b;
    for (char16_t c : s) {
        const char16_t u = folder && c == u'/' ? char16_t(0xFFFF) : c;
        b.push_back(static_cast<std::uint8_t>(u));
        b.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return b;
}

// LHa for UNIX's level-0 area: 'U', a minor version, Unix time, mode, uid, gid.
Bytes unixArea(unsigned mode)
{
    Bytes a{'U', 0};
    for (const Bytes& part : {le32(1704164646), le16(mode), le16(1000), le16(1000)})
        a.insert(a.end(), part.begin(), part.end());
    return a;
}

std::string readLink(const std::string& path)
{
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string("(no link)") : std::string(buf, std::size_t(n));
}

// The links of every header level, with files after them that a followed link would lead out of
// the folder: each link comes back as itself, and nothing goes through one.
TEST(Links, ComeBackAsLinksAndLeadNothingOutOfTheFolder)
{
    ScratchDir dir;
    const Bytes data{'x'};
    const std::string arc = dir / "links.lzh";
    writeFile(arc, archiveOf({
                       level2Member({.name = "symlink1|..", .folder = "dir2\xff", .method = "-lhd-",
                           .extensions = {ext(0x50, le16(kLinkMode))}}),
                       level1Stored("up|../../outside", {}, 'U', {ext(0x50, le16(kLinkMode))}, "-lhd-"),
                       level0Stored("sub\\abs|/tmp", {}, unixArea(kLinkMode), "-lhd-"),
                       level2Member({.name = "escape.txt", .folder = "dir2\xffsymlink1\xff", .data = data}),
                       level2Member({.name = "x.txt", .folder = "up\xff", .data = data}),
                       level2Member({.name = "plain.txt", .data = data}),
                   }));

    const auto listed = callUnlha("l " + arc);
    EXPECT_EQ(listed.code, UNLHA_OK) << listed.output;
    for (const char* line : {"  dir2/symlink1 -> ..\n", "  up -> ../../outside\n", "  sub/abs -> /tmp\n"})
        EXPECT_NE(listed.output.find(line), std::string::npos) << line << "\n" << listed.output;

    const std::string out = dir / "x";
    fs::create_directory(out);
    const auto x = callUnlha("x " + arc + " " + out + "/");
    EXPECT_EQ(x.code, UNLHA_ERR_WRITE) << x.output; // the two members below links are refused
    EXPECT_EQ(readLink(out + "/dir2/symlink1"), "..");
    EXPECT_EQ(readLink(out + "/up"), "../../outside");
    EXPECT_EQ(readLink(out + "/sub/abs"), "/tmp");
    EXPECT_TRUE(fs::is_regular_file(out + "/plain.txt"));
    EXPECT_FALSE(fs::exists(out + "/escape.txt")) << "written through dir2/symlink1";
    EXPECT_FALSE(fs::exists(dir / "outside")) << "written through up";

    // e writes no link and says so; the files it can write still come.
    const std::string flat = dir / "e";
    fs::create_directory(flat);
    const auto e = callUnlha("e " + arc + " " + flat + "/");
    EXPECT_NE(e.output.find("symlink1 -> .."), std::string::npos) << e.output;
    EXPECT_EQ(listFolder(flat), (std::vector<std::string>{"escape.txt", "plain.txt", "x.txt"}));

    if (haveTool("bsdtar")) {
        const std::string peer = dir / "bsdtar";
        fs::create_directory(peer);
        runShell("bsdtar -xf '" + arc + "' -C '" + peer + "' 2>/dev/null");
        EXPECT_EQ(readLink(peer + "/dir2/symlink1"), readLink(out + "/dir2/symlink1"));
        EXPECT_EQ(readLink(peer + "/up"), readLink(out + "/up"));
        EXPECT_EQ(readLink(peer + "/sub/abs"), readLink(out + "/sub/abs"));
    }
}

// Windows writers put the name they had in UTF-16 beside a code-page name they could not always
// make ("______.txt"); the UTF-16 one wins, and like any name it never leads out of the folder.
TEST(Utf16Names, WinOverTheCodePageNameAndStayInsideTheFolder)
{
    ScratchDir dir;
    const Bytes data{'y'};
    const std::string arc = dir / "wide.lzh";
    writeFile(arc, archiveOf({
                       level2Member({.name = "______.txt", .data = data, .os = 'W',
                           .extensions = {ext(0x44, utf16(u"사진.txt"))}}),
                       level2Member({.name = "photo.txt", .folder = "____\xff", .data = data, .os = 'W',
                           .extensions = {ext(0x45, utf16(u"フォルダ/", true))}}),
                       level2Member({.name = "a.txt", .data = data, .os = 'W', .extensions = {ext(0x44, utf16(u"../evil.txt"))}}),
                   }));
    const auto listed = callUnlha("l " + arc);
    for (const char* line : {"  사진.txt\n", "  フォルダ/photo.txt\n"})
        EXPECT_NE(listed.output.find(line), std::string::npos) << line << "\n" << listed.output;

    const std::string out = dir / "x";
    fs::create_directory(out);
    const auto x = callUnlha("x " + arc + " " + out + "/");
    EXPECT_EQ(x.code, UNLHA_ERR_DAMAGED) << x.output; // the name that leads outside
    EXPECT_TRUE(fs::is_regular_file(out + "/사진.txt")) << x.output;
    EXPECT_TRUE(fs::is_regular_file(out + "/フォルダ/photo.txt")) << x.output;
    EXPECT_FALSE(fs::exists(dir / "evil.txt"));
}

} // namespace
} // namespace unlha
