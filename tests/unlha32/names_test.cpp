// Member names across platforms: Shift-JIS (code page 932) names from MS-DOS, Windows and
// Human68k writers come out as UTF-8, ours go in as code page 932 when they can, and bytes of
// no known charset are kept on disk and escaped in listings.
#include <gtest/gtest.h>

#include <algorithm>

#include "fixture_builder.h"
#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/member_names.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using namespace test;

const std::string kPhotoSjis = "\x8e\xca\x90\x5e.bmp";                    // 写真.bmp
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const std::string kSoftTableSjis = "\x83\x5c\x83\x74\x83\x67\\\x95\x5c.txt"; // ソフト\表.txt: two 0x5C trail bytes

Bytes extension(std::uint8_t type, const Bytes& data)
{
    Bytes e{type};
    e.insert(e.end(), data.begin(), data.end());
    return e;
}

struct NameCase {
    const char* what;
    Bytes member;
    std::string flat;   // the file `e` writes
    std::string kept;   // the path `x` writes
    std::string listed; // how `l` shows it
};

TEST(Names, StoredNamesBecomeTheRightFileNames)
{
    const Bytes d{'d'};
    const std::vector<NameCase> cases{
        {"level 0, MS-DOS", level0Stored(kPhotoSjis, d), "写真.bmp", "写真.bmp", "写真.bmp"},
        {"level 0, 0x5C inside characters", level0Stored(kSoftTableSjis, d), "表.txt", "ソフト/表.txt", "ソフト/表.txt"},
        {"level 1, Windows 95", level1Stored("\x95\x5c.txt", d, 'w'), "表.txt", "表.txt", "表.txt"},
        {"level 1, Windows NT", level1Stored(kPhotoSjis, d, 'W'), "写真.bmp", "写真.bmp", "写真.bmp"},
        {"level 2, MS-DOS with a folder",
         level2Member({.name = kPhotoSjis, .folder = "\x83\x5c\x83\x74\x83\x67\xff", .data = d, .os = 'M'}), "写真.bmp",
         "ソフト/写真.bmp", "ソフト/写真.bmp"},
        {"level 2, Human68k", level2Member({.name = kPhotoSjis, .data = d, .os = 'H'}), "写真.bmp", "写真.bmp", "写真.bmp"},
        {"level 2, Unix in UTF-8", level2Member({.name = "写真.bmp", .data = d, .os = 'U'}), "写真.bmp", "写真.bmp", "写真.bmp"},
        {"code page 65001 given", level2Member({.name = "写真.bmp", .data = d, .os = 'M', .extensions = {extension(0x46, le32(65001))}}),
         "写真.bmp", "写真.bmp", "写真.bmp"},
        {"code page 932 given", level2Member({.name = kPhotoSjis, .data = d, .os = 'U', .extensions = {extension(0x46, le32(932))}}),
         "写真.bmp", "写真.bmp", "写真.bmp"},
        {"not valid code page 932", level2Member({.name = "\x85\x40.txt", .data = d, .os = 'M'}), "\x85@.txt", "\x85@.txt",
         "\\x85@.txt"},
        {"Shift-JIS from a Unix writer: bytes kept", level2Member({.name = kPhotoSjis, .data = d, .os = 'U'}), kPhotoSjis,
         kPhotoSjis, "\\x8E\\xCA\\x90^.bmp"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        writeFile(dir / "a.lzh", archiveOf({c.member}));
        for (const char* cmd : {"e", "x"}) {
            const std::string out = dir / cmd;
            fs::create_directory(out);
            const auto r = callUnlha(std::string(cmd) + " " + (dir / "a.lzh") + " " + out + "/");
            EXPECT_EQ(r.code, UNLHA_OK) << c.what << "\n" << r.output;
            const std::string expected = std::string(cmd) == "e" ? c.flat : c.kept;
            EXPECT_TRUE(fs::is_regular_file(out + "/" + expected)) << c.what << " (" << cmd << ")\n" << r.output;
        }
        const auto l = callUnlha("l " + (dir / "a.lzh"));
        EXPECT_NE(l.output.find("  " + c.listed + "\n"), std::string::npos) << c.what << "\n" << l.output;
    }
}

TEST(Names, OurNamesGoInCodePage932WhenTheyCan)
{
    ScratchDir dir;
    const std::string arc = dir / "names.lzh";
    for (const char* name : {"写真.bmp", "海 ｶﾅ.bmp", "사진.bmp", "plain.txt"})
        writeFile(dir / name, std::string("picture ") + name);
    ASSERT_EQ(callUnlha("a " + arc + " " + (dir / "写真.bmp") + " " + quoted(dir / "海 ｶﾅ.bmp") + " " + (dir / "사진.bmp")
                        + " " + (dir / "plain.txt"))
                  .code,
              UNLHA_OK);
    const Bytes bytes = readFile(arc);
    auto holds = [&](const std::string& s) {
        return std::search(bytes.begin(), bytes.end(), s.begin(), s.end(),
                           [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); })
               != bytes.end();
    };
    EXPECT_TRUE(holds(kPhotoSjis)) << "写真.bmp in Shift-JIS";
    EXPECT_TRUE(holds(*encodeCp932("海 ｶﾅ.bmp"))) << "half-width katakana are single CP932 bytes";
    EXPECT_TRUE(holds("사진.bmp")) << "no CP932 form: UTF-8";
    const ArchiveIndex index = indexArchive(bytes);
    ASSERT_EQ(index.members.size(), 4u);
    EXPECT_EQ(index.members[0].os, 'M');
    EXPECT_EQ(index.members[1].os, 'M');
    EXPECT_EQ(index.members[2].os, 'U');
    EXPECT_EQ(index.members[3].os, 'M');
    EXPECT_EQ(index.members[0].name, "写真.bmp");
    EXPECT_EQ(index.members[2].name, "사진.bmp");

    // Adding 写真.bmp again replaces the member: names compare after decoding.
    writeFile(dir / "写真.bmp", "second");
    ASSERT_EQ(callUnlha("a " + arc + " " + (dir / "写真.bmp")).code, UNLHA_OK);
    EXPECT_EQ(indexArchive(readFile(arc)).members.size(), 4u);

    // A name beyond ASCII records its code page (extension 0x46); a plain one stays as it was.
    EXPECT_TRUE(holds(std::string("\x46\xa4\x03\x00\x00", 5))) << "code page 932 recorded";
    EXPECT_EQ(indexArchive(readFile(arc)).members[3].name, "plain.txt");

    // Peers: lhasa writes the stored bytes; bsdtar reads the recorded code page.
    if (haveTool("lhasa")) {
        fs::create_directory(dir / "lhasa");
        runShell("cd '" + (dir / "lhasa") + "' && lhasa xq '" + arc + "'");
        EXPECT_TRUE(fs::exists(dir / ("lhasa/" + kPhotoSjis)));
        EXPECT_TRUE(fs::exists(dir / "lhasa/사진.bmp"));
    }
    if (haveTool("bsdtar")) {
        fs::create_directory(dir / "bsdtar");
        EXPECT_EQ(runShell("LC_ALL=C.UTF-8 bsdtar -xf '" + arc + "' -C '" + (dir / "bsdtar") + "'"), 0);
        EXPECT_EQ(readFile(dir / "bsdtar/写真.bmp"), (Bytes{'s', 'e', 'c', 'o', 'n', 'd'}));
        EXPECT_TRUE(fs::exists(dir / "bsdtar/海 ｶﾅ.bmp"));
        EXPECT_TRUE(fs::exists(dir / "bsdtar/사진.bmp"));
    }
}

TEST(Names, TheControlsOpenLineFindsAJapaneseMemberOfAWindowsArchive)
{
    // As a Windows archiver writes it: Shift-JIS name, code page and FILETIME extensions.
    ScratchDir dir;
    const Bytes picture = textBytes(5000);
    const Bytes times = Bytes(24, 0x01);
    writeFile(dir / "写真.qpx",
              archiveOf({level2Member({.name = "\x8a\x43.bmp", .data = text("sea"), .os = 'M'}), // 海.bmp
                         level2Member({.name = kPhotoSjis, .data = picture, .os = 'M',
                                       .extensions = {extension(0x46, le32(932)), extension(0x41, times)}})}));
    const std::string out = dir / "QPXOPEN";
    fs::create_directory(out);
    const auto r = callUnlha("e " + (dir / "写真.qpx") + " -n0 " + out + "/ 写真.bmp");
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_EQ(listFolder(out), std::vector<std::string>{"写真.bmp"});
    EXPECT_EQ(readFile(out + "/写真.bmp"), picture);
}

TEST(Names, BackslashInANameToAddIsRefused)
{
    ScratchDir dir;
    writeFile(dir / "back\\slash.txt", "x");
    const auto r = callUnlha("a " + (dir / "a.lzh") + " " + (dir / "back\\slash.txt"));
    EXPECT_EQ(r.code, UNLHA_ERR_NO_FILE) << r.output;
    EXPECT_NE(r.output.find("'\\'"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "a.lzh"));
}

TEST(Names, ConversionsKeepWhatTheyCannotConvert)
{
    EXPECT_EQ(decodeCp932(kSoftTableSjis), "ソフト\\表.txt");
    EXPECT_EQ(decodeCp932("ok\x80\xff" "end"), "ok\x80\xff" "end");
    EXPECT_EQ(decodeCp932("\x95"), "\x95") << "a lead byte at the end";
    EXPECT_EQ(encodeCp932("表.txt"), std::optional<std::string>("\x95\x5c.txt"));
    EXPECT_FALSE(encodeCp932("사진"));
    EXPECT_FALSE(encodeCp932("\xff"));
    EXPECT_EQ(lowerIfAllUpper("README.TXT"), "readme.txt");
    EXPECT_EQ(lowerIfAllUpper("ReadMe.TXT"), "ReadMe.TXT");
    EXPECT_EQ(lowerIfAllUpper("写真.BMP"), "写真.bmp");
}

TEST(Names, Utf16NamesAndLinkPathsAsTheirWritersStoreThem)
{
    using namespace std::string_literals;
    EXPECT_EQ(fromUtf16le("\x99\x51" "\x1f\x77" ".\0b\0m\0p\0"s, false), "写真.bmp");
    EXPECT_EQ(fromUtf16le("d\0\xff\xff\xbd\x30\xd5\x30\xff\xff\0\0"s, true), "d/ソフ/") << "0xFFFF separates folders";
    EXPECT_EQ(fromUtf16le("\x3d\xd8\x00\xde"s, false), "\xF0\x9F\x98\x80") << "a pair outside the first plane";
    EXPECT_EQ(fromUtf16le("\x3d\xd8" "a\0"s, false), "\xEF\xBF\xBD" "a") << "a lone surrogate";
    EXPECT_EQ(fromUtf16le("\xff\xffx\0"s, false), "\xEF\xBF\xBF" "x") << "0xFFFF is a character in a file name";
    EXPECT_EQ(fromUtf16le("a\0b"s, false), "a") << "an odd byte at the end";

    std::string path, target;
    EXPECT_TRUE(splitLinkPath("dir2/symlink1|../a|b", path, target));
    EXPECT_EQ(path, "dir2/symlink1");
    EXPECT_EQ(target, "../a|b");
    EXPECT_FALSE(splitLinkPath("plain/name", path, target));
}

} // namespace
} // namespace unlha
