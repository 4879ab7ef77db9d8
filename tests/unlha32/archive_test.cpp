// The four commands through the library's entry, as the picture control and a shell use them:
// round trips, replacement, the result codes, and hostile or broken archives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <atomic>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using test::Bytes;
using test::callUnlha;
using test::quoted;
using test::readFile;
using test::ScratchDir;
using test::writeFile;

// One level-2 member; lh5 when asked, the data stored otherwise; crcError makes its data CRC wrong.
Bytes member(const std::string& name, const Bytes& data, bool compress = false, const char* method = "-lh0-",
             std::uint16_t crcError = 0)
{
    Bytes packed = compress ? encodeLh(data, kLh5) : data;
    const auto h = level2Header({name, compress ? "-lh5-" : method, static_cast<std::uint32_t>(packed.size()),
                                 static_cast<std::uint32_t>(data.size()), 1704164646,
                                 static_cast<std::uint16_t>(crc16(data.data(), data.size()) ^ crcError)});
    Bytes m(h.begin(), h.end());
    m.insert(m.end(), packed.begin(), packed.end());
    return m;
}

// A level-0 member with a raw path, as DOS-era tools wrote it.
Bytes level0Member(const std::string& path, const Bytes& data)
{
    Bytes h{0, 0, '-', 'l', 'h', '0', '-'};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 4; ++k)
            h.push_back(static_cast<std::uint8_t>(data.size() >> (8 * k)));
    h.insert(h.end(), {0x83, 0x18, 0x22, 0x58, 0x20, 0, static_cast<std::uint8_t>(path.size())});
    h.insert(h.end(), path.begin(), path.end());
    const std::uint16_t crc = crc16(data.data(), data.size());
    h.push_back(static_cast<std::uint8_t>(crc));
    h.push_back(static_cast<std::uint8_t>(crc >> 8));
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
    h.insert(h.end(), data.begin(), data.end());
    return h;
}

Bytes archiveOf(std::initializer_list<Bytes> members)
{
    Bytes a;
    for (const auto& m : members)
        a.insert(a.end(), m.begin(), m.end());
    a.push_back(0);
    return a;
}

TEST(Archiver, PictureControlSavesAndOpensAgain)
{
    ScratchDir dir;
    const std::string temp = dir / "temp dir";
    const std::string out = dir / "out";
    std::filesystem::create_directory(temp);
    std::filesystem::create_directory(out);
    const std::string qpx = dir / "my pics.QPX";
    const Bytes picture = test::textBytes(100000);
    writeFile(temp + "/my pics.bmp", picture);

    auto r = callUnlha("a " + quoted(qpx) + " " + quoted(temp + "/my pics.bmp") + " -a1 -n0");
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_NE(r.output.find("my pics.bmp"), std::string::npos) << r.output;
    EXPECT_TRUE(std::filesystem::exists(temp + "/my pics.bmp")) << "the work bitmap stays in place";

    r = callUnlha("e " + quoted(qpx) + " -n0 " + quoted(out + "/"));
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_EQ(readFile(out + "/my pics.bmp"), picture);
    EXPECT_EQ(test::listFolder(out), std::vector<std::string>{"my pics.bmp"});
}

TEST(Archiver, AddReplacesOnlyTheMemberOfThatName)
{
    ScratchDir dir;
    const std::string arc = dir / "three.lzh";
    writeFile(dir / "a.txt", "first a");
    writeFile(dir / "b.bin", test::randomBytes(5000, 1));
    writeFile(dir / "c.txt", test::textBytes(20000));
    ASSERT_EQ(callUnlha("a " + arc + " " + (dir / "a.txt") + " " + (dir / "b.bin") + " " + (dir / "c.txt")).code, UNLHA_OK);
    const Bytes before = readFile(arc);

    std::filesystem::create_directory(dir / "new");
    writeFile(dir / "new/b.bin", "the second picture");
    const auto r = callUnlha("a " + arc + " " + (dir / "new/b.bin"));
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;

    const std::string out = dir / "out";
    std::filesystem::create_directory(out);
    ASSERT_EQ(callUnlha("e " + arc + " " + out + "/").code, UNLHA_OK);
    EXPECT_EQ(test::listFolder(out), (std::vector<std::string>{"a.txt", "b.bin", "c.txt"}));
    EXPECT_EQ(readFile(out + "/b.bin"), Bytes({'t', 'h', 'e', ' ', 's', 'e', 'c', 'o', 'n', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    EXPECT_EQ(readFile(out + "/a.txt"), readFile(dir / "a.txt"));
    EXPECT_EQ(readFile(out + "/c.txt"), readFile(dir / "c.txt"));
    // The other members' bytes are carried over unchanged, in their places.
    const Bytes after = readFile(arc);
    const ArchiveIndex was = indexArchive(before), is = indexArchive(after);
    ASSERT_EQ(is.members.size(), 3u);
    auto raw = [](const Bytes& b, const IndexedMember& m) {
        return Bytes(b.begin() + static_cast<long>(m.headerOffset), b.begin() + static_cast<long>(m.dataOffset + m.packed));
    };
    for (std::size_t i : {0u, 2u}) {
        EXPECT_EQ(is.members[i].name, was.members[i].name);
        EXPECT_EQ(raw(after, is.members[i]), raw(before, was.members[i]));
    }
    EXPECT_EQ(is.members[1].name, "b.bin");
}

TEST(Archiver, ListAndTestNameEveryMember)
{
    ScratchDir dir;
    const std::string arc = dir / "l.lzh";
    writeFile(dir / "写真 1.bmp", test::textBytes(3000));
    writeFile(dir / "empty", Bytes{});
    writeFile(dir / "noise", test::randomBytes(5000, 6));
    ASSERT_EQ(callUnlha("a " + arc + " " + quoted(dir / "写真 1.bmp") + " " + (dir / "empty") + " " + (dir / "noise")).code,
              UNLHA_OK);
    auto r = callUnlha("l " + arc);
    ASSERT_EQ(r.code, UNLHA_OK);
    // One line per member: sizes, method (random bytes are stored), name.
    auto lineOf = [&](const std::string& name) {
        const auto at = r.output.find(name);
        return at == std::string::npos ? std::string() : r.output.substr(r.output.rfind('\n', at) + 1, at - r.output.rfind('\n', at));
    };
    EXPECT_NE(lineOf("写真 1.bmp").find("3000"), std::string::npos) << r.output;
    EXPECT_NE(lineOf("写真 1.bmp").find("-lh5-"), std::string::npos) << r.output;
    EXPECT_NE(lineOf("noise").find("-lh0-"), std::string::npos) << r.output;
    EXPECT_NE(lineOf("empty").find("-lh0-"), std::string::npos) << r.output;
    r = callUnlha("t " + arc);
    EXPECT_EQ(r.code, UNLHA_OK) << r.output;
}

TEST(Archiver, ResultCodesForEachKindOfFailure)
{
    ScratchDir dir;
    writeFile(dir / "file.txt", "content");
    writeFile(dir / "not-lha.lzh", "this is plain text, not an archive at all");
    writeFile(dir / "empty.lzh", Bytes{});
    const std::string good = dir / "good.lzh";
    ASSERT_EQ(callUnlha("a " + good + " " + (dir / "file.txt")).code, UNLHA_OK);
    struct Case {
        std::string line;
        int code;
    };
    const std::vector<Case> cases{
        {"z " + good, UNLHA_ERR_USAGE},
        {"a " + good + " " + (dir / "file.txt") + " -r", UNLHA_ERR_USAGE},
        {"e " + (dir / "missing.lzh"), UNLHA_ERR_NO_ARCHIVE},
        {"t " + (dir / "missing.lzh"), UNLHA_ERR_NO_ARCHIVE},
        {"l " + (dir / "not-lha.lzh"), UNLHA_ERR_DAMAGED},
        {"t " + (dir / "empty.lzh"), UNLHA_ERR_DAMAGED},
        {"e " + dir.path().string(), UNLHA_ERR_DAMAGED}, // a folder is no archive
        {"a " + good + " " + (dir / "nothing.txt"), UNLHA_ERR_NO_FILE},
        {"a " + good + " " + dir.path().string() + "/", UNLHA_ERR_NO_FILE},
        {"a " + (dir / "not-lha.lzh") + " " + (dir / "file.txt"), UNLHA_ERR_DAMAGED},
        {"a " + (dir / "no/such/folder.lzh") + " " + (dir / "file.txt"), UNLHA_ERR_WRITE},
        {"e " + good + " " + (dir / "no-such-folder/"), UNLHA_ERR_WRITE},
    };
    for (const auto& c : cases) {
        const auto r = callUnlha(c.line);
        EXPECT_EQ(r.code, c.code) << c.line << "\n" << r.output;
        EXPECT_FALSE(r.output.empty()) << c.line;
    }
    // Failed adds leave the archives they were given as they were.
    EXPECT_EQ(readFile(dir / "not-lha.lzh").size(), 41u);
    EXPECT_EQ(callUnlha("t " + good).code, UNLHA_OK);
}

TEST(Archiver, OutputBufferLimitsAreKept)
{
    ScratchDir dir;
    const std::string line = "e " + (dir / "missing.lzh");
    char small[8];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(Unlha(nullptr, line.c_str(), small, 5), UNLHA_ERR_NO_ARCHIVE);
    EXPECT_LT(std::strlen(small), 5u);
    EXPECT_EQ(small[5], '#');
    EXPECT_EQ(Unlha(nullptr, line.c_str(), nullptr, 0), UNLHA_ERR_NO_ARCHIVE);
    EXPECT_EQ(Unlha(nullptr, line.c_str(), small, 0), UNLHA_ERR_NO_ARCHIVE);
    EXPECT_EQ(Unlha(nullptr, nullptr, small, sizeof small), UNLHA_ERR_USAGE);
}

TEST(Archiver, ExtractsWhatAnotherWriterMade)
{
    const std::string fixtures = std::string(VELMOR_SOURCE_DIR) + "/tests/unlha32/fixtures/jlha/";
    const std::string src = fixtures + "src/";
    for (const char* name : {"jlha-lh5-level0.lzh", "jlha-lh5-level1.lzh", "jlha-lh5-level2.lzh",
                             "jlha-lh7-level0.lzh", "jlha-lh7-level1.lzh", "jlha-lh7-level2.lzh"}) {
        ScratchDir out;
        const auto r = callUnlha("e " + fixtures + name + " " + out.path().string() + "/");
        ASSERT_EQ(r.code, UNLHA_OK) << name << "\n" << r.output;
        // Folders inside the archive are dropped: sub/nested.txt lands as nested.txt.
        EXPECT_EQ(test::listFolder(out.path()), (std::vector<std::string>{"bytes.bin", "empty.txt", "nested.txt", "text.txt"}));
        EXPECT_EQ(readFile(out / "text.txt"), readFile(src + "text.txt")) << name;
        EXPECT_EQ(readFile(out / "bytes.bin"), readFile(src + "bytes.bin")) << name;
        EXPECT_EQ(readFile(out / "nested.txt"), readFile(src + "sub/nested.txt")) << name;
        EXPECT_TRUE(readFile(out / "empty.txt").empty());
        EXPECT_EQ(callUnlha("t " + fixtures + name).code, UNLHA_OK) << name;
        // x keeps them.
        ScratchDir kept;
        ASSERT_EQ(callUnlha("x " + fixtures + name + " " + kept.path().string() + "/").code, UNLHA_OK) << name;
        EXPECT_EQ(readFile(kept / "sub/nested.txt"), readFile(src + "sub/nested.txt")) << name;
    }
}

TEST(Archiver, OlderMethodsGoThroughTheSecondReader)
{
    ScratchDir dir;
    const Bytes data = test::textBytes(40000);
    const Bytes stream = encodeLh(data, kLh4); // -lh4-: a method only liblhasa reads here
    const auto h = level2Header({"old.txt", "-lh4-", static_cast<std::uint32_t>(stream.size()),
                                 static_cast<std::uint32_t>(data.size()), 0, crc16(data.data(), data.size())});
    Bytes m(h.begin(), h.end());
    m.insert(m.end(), stream.begin(), stream.end());
    writeFile(dir / "old.lzh", archiveOf({m, member("plain.txt", {'p'})}));
    const auto r = callUnlha("e " + (dir / "old.lzh") + " " + dir.path().string() + "/");
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_EQ(readFile(dir / "old.txt"), data);
    EXPECT_EQ(readFile(dir / "plain.txt"), Bytes{'p'});
}

// Extraction into a fresh folder inside a scratch folder; nothing may appear anywhere else.
constexpr int kCrcOrDamaged = -1; // either code is right: it depends on where the decoder trips
struct Hostile {
    const char* what;
    Bytes archive;
    int code;
    std::vector<std::string> files; // what the extraction folder holds afterwards
    bool dataBroken = true;         // `t` fails too (names alone do not make it fail)
};

TEST(Archiver, HostileArchivesWriteNothingOutsideTheFolderAndNoPartialFile)
{
    const Bytes data{'o', 'k'};
    Bytes good = archiveOf({member("good.txt", test::textBytes(5000), true)});
    Bytes flipped = good;
    flipped[flipped.size() - 40] ^= 0x55; // inside the compressed data
    const Bytes badCrc = archiveOf({member("good.txt", test::textBytes(5000), true, nullptr, 0x0100)});
    Bytes storedBadCrc = archiveOf({member("s.txt", data)});
    storedBadCrc[storedBadCrc.size() - 2] ^= 1;
    // One letter of the name changed ("good.txt" becomes "food.txt"): every size and the data stay
    // sound, so only the header CRC can tell.
    Bytes headerCrc = good;
    const std::string_view name = "good.txt";
    const auto nameAt = std::search(headerCrc.begin(), headerCrc.end(), name.begin(), name.end());
    ASSERT_NE(nameAt, headerCrc.end());
    *nameAt ^= 1;
    Bytes liesBigger = good;
    liesBigger[7] += 100; // packed size beyond the end of the file
    Bytes liesOriginal = good;
    liesOriginal[11] += 1; // one byte more than the stream holds
    Bytes l0 = archiveOf({level0Member("dir\\..\\..\\l0.txt", data)});
    Bytes l0BadSum = l0;
    l0BadSum[1] ^= 0xFF;
    const std::vector<Hostile> cases{
        {"a name with folders", archiveOf({member("../../up.txt", data), member("/etc/abs.txt", data), member("a/b/deep.txt", data)}),
         UNLHA_OK, {"abs.txt", "deep.txt", "up.txt"}},
        {"backslash folders at level 0", l0, UNLHA_OK, {"l0.txt"}},
        {"control bytes in a name", archiveOf({member("e\x1b[2J\r\x7f", data)}), UNLHA_OK, {"e_[2J__"}},
        {"dot names, an empty name", archiveOf({member("..", data), member("x/.", data), member("", data), member("fine", data)}),
         UNLHA_ERR_DAMAGED, {"fine"}, false},
        {"a link entry", archiveOf({member("lnk|/etc/passwd", {}, false, "-lhd-"), member("after", data)}), UNLHA_OK, {"after"}},
        {"compressed data that fails its CRC", badCrc, UNLHA_ERR_CRC, {}},
        {"a flipped byte in the compressed data", flipped, kCrcOrDamaged, {}},
        {"stored data that fails its CRC", storedBadCrc, UNLHA_ERR_CRC, {}},
        {"a header CRC that does not match", headerCrc, UNLHA_ERR_DAMAGED, {}},
        {"a level-0 checksum that does not match", l0BadSum, UNLHA_ERR_DAMAGED, {}},
        {"a packed size past the end", liesBigger, UNLHA_ERR_DAMAGED, {}},
        {"an original size larger than the data", liesOriginal, UNLHA_ERR_DAMAGED, {}},
        {"an unknown method", archiveOf({member("m.bin", data, false, "-zz9-")}), UNLHA_ERR_DAMAGED, {}},
        {"only an end marker", Bytes{0}, UNLHA_ERR_DAMAGED, {}},
        {"a header level 9", [&] { Bytes b = good; b[20] = 9; return b; }(), UNLHA_ERR_DAMAGED, {}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string out = dir / "out";
        std::filesystem::create_directory(out);
        writeFile(dir / "a.lzh", c.archive);
        const auto r = callUnlha("e " + (dir / "a.lzh") + " " + out + "/");
        if (c.code == kCrcOrDamaged) {
            EXPECT_TRUE(r.code == UNLHA_ERR_CRC || r.code == UNLHA_ERR_DAMAGED) << c.what << "\n" << r.output;
        } else {
            EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.output;
        }
        EXPECT_FALSE(r.output.empty()) << c.what;
        EXPECT_EQ(r.output.find('\x1b'), std::string::npos) << "control bytes reach the report: " << c.what;
        EXPECT_EQ(test::listFolder(out), c.files) << c.what << "\n" << r.output;
        EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string>{"a.lzh", "out"})) << c.what;
        if (c.code != UNLHA_OK && c.dataBroken) {
            EXPECT_NE(callUnlha("t " + (dir / "a.lzh")).code, UNLHA_OK) << c.what;
        }
    }
}

TEST(Archiver, EveryTruncationIsDamageOrAWholeMemberBoundary)
{
    ScratchDir dir;
    const Bytes a = member("a.txt", test::textBytes(3000), true);
    const Bytes b = member("b.txt", {'b', 'b'});
    const Bytes full = archiveOf({a, b});
    for (std::size_t len = 0; len < full.size(); ++len) {
        const std::string out = dir / ("out" + std::to_string(len));
        std::filesystem::create_directory(out);
        writeFile(dir / "cut.lzh", Bytes(full.begin(), full.begin() + static_cast<long>(len)));
        const auto r = callUnlha("e " + (dir / "cut.lzh") + " " + out + "/");
        const bool boundary = len == a.size() || len == a.size() + b.size();
        if (boundary) {
            EXPECT_EQ(r.code, UNLHA_OK) << len;
        } else {
            EXPECT_NE(r.code, UNLHA_OK) << len;
            // Only members that lie whole before the cut may appear, and then complete.
            for (const auto& f : test::listFolder(out)) {
                EXPECT_TRUE(f == "a.txt" && len >= a.size()) << len << ' ' << f;
            }
        }
        std::filesystem::remove_all(out);
    }
}

TEST(Archiver, PlantedLinkAtTheTargetIsReplacedNotFollowed)
{
    ScratchDir dir;
    const std::string out = dir / "out";
    std::filesystem::create_directory(out);
    writeFile(dir / "victim", "keep me");
    ::chmod((dir / "victim").c_str(), 04755);
    std::filesystem::create_symlink(dir / "victim", out + "/sea.bmp");
    writeFile(dir / "a.lzh", archiveOf({member("sea.bmp", {'n', 'e', 'w'})}));
    const auto r = callUnlha("e " + (dir / "a.lzh") + " " + out + "/");
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_EQ(readFile(dir / "victim"), (Bytes{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    struct stat st {};
    ASSERT_EQ(::lstat((out + "/sea.bmp").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07000, 0u) << "the link target's mode must not be copied";
    EXPECT_EQ(readFile(out + "/sea.bmp"), (Bytes{'n', 'e', 'w'}));
}

TEST(Archiver, ExistingFileIsReplacedWholeAndAFailedMemberLeavesItAlone)
{
    ScratchDir dir;
    writeFile(dir / "keep.txt", "old content");
    Bytes bad = archiveOf({member("keep.txt", test::textBytes(4000), true)});
    bad[bad.size() - 30] ^= 0x20;
    writeFile(dir / "bad.lzh", bad);
    EXPECT_NE(callUnlha("e " + (dir / "bad.lzh") + " " + dir.path().string() + "/").code, UNLHA_OK);
    EXPECT_EQ(readFile(dir / "keep.txt"), (Bytes{'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't'}));

    writeFile(dir / "good.lzh", archiveOf({member("keep.txt", test::textBytes(4000), true)}));
    EXPECT_EQ(callUnlha("e " + (dir / "good.lzh") + " " + dir.path().string() + "/").code, UNLHA_OK);
    EXPECT_EQ(readFile(dir / "keep.txt"), test::textBytes(4000));
    EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string>{"bad.lzh", "good.lzh", "keep.txt"}));
}

// A window's Escape stops the call that runs and no other: the archive it was adding to is left as
// it was, nothing half-written stays beside it, and the next call runs as usual.
TEST(Archiver, CancellingTheRunningCallLeavesTheArchiveAndSparesLaterCalls)
{
    ScratchDir dir;
    const std::string arc = dir / "keep.qpx";
    writeFile(dir / "small.bmp", test::textBytes(3000));
    ASSERT_EQ(callUnlha("a " + arc + " " + (dir / "small.bmp")).code, UNLHA_OK);
    const Bytes before = readFile(arc);
    writeFile(dir / "large.bmp", test::randomBytes(48u << 20, 7));

    UnlhaCancelRunning(); // with no call running it is forgotten
    std::atomic<bool> done{false};
    test::CallResult stopped{};
    std::thread call([&] {
        stopped = callUnlha("a " + arc + " " + (dir / "large.bmp"));
        done = true;
    });
    while (!done) {
        UnlhaCancelRunning();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    call.join();
    EXPECT_EQ(stopped.code, UNLHA_ERR_CANCELLED) << stopped.output;
    EXPECT_EQ(readFile(arc), before);
    EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string>{"keep.qpx", "large.bmp", "small.bmp"}));

    const auto after = callUnlha("a " + arc + " " + (dir / "small.bmp"));
    EXPECT_EQ(after.code, UNLHA_OK) << after.output;
}

TEST(Archiver, PipesAndLinksAreNotReadAsFiles)
{
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    writeFile(dir / "real.txt", "real");
    std::filesystem::create_symlink(dir / "real.txt", dir / "link.txt");
    EXPECT_EQ(callUnlha("a " + (dir / "x.lzh") + " " + (dir / "pipe")).code, UNLHA_ERR_NO_FILE);
    EXPECT_EQ(callUnlha("a " + (dir / "x.lzh") + " " + (dir / "link.txt")).code, UNLHA_ERR_NO_FILE);
    EXPECT_EQ(callUnlha("t " + (dir / "pipe")).code, UNLHA_ERR_DAMAGED);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.lzh"));
}

} // namespace
} // namespace unlha

namespace unlha {
namespace {

TEST(UnlhaCommand, ArgumentsBecomeOneLineAndTheCodeIsTheExitStatus)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "with space");
    writeFile(dir / "with space/f.txt", "text");
    writeFile(dir / "with space/say \"hi\".txt", "quoted");
    const std::string unlha = std::string(VELMOR_BIN_DIR) + "/unlha";
    const std::string arc = "'" + (dir / "with space/x.lzh") + "'";
    struct Case {
        std::string args;
        int status;
    };
    const std::vector<Case> cases{
        {"a " + arc + " '" + (dir / "with space/f.txt") + "' -a1 -n0", UNLHA_OK},
        {"t " + arc, UNLHA_OK},
        {"e " + arc + " '" + (dir / "with space") + "/'", UNLHA_OK},
        {"e '" + (dir / "missing.lzh") + "'", UNLHA_ERR_NO_ARCHIVE},
        {"", UNLHA_ERR_USAGE},
        // A quote in a name is passed like any other character.
        {"a " + arc + " '" + (dir / "with space/say \"hi\".txt") + "'", UNLHA_OK},
        {"e " + arc + " '" + (dir / "out") + "/' 'say \"hi\".txt'", UNLHA_OK},
        {"t 'quote\"inside'", UNLHA_ERR_NO_ARCHIVE},
    };
    std::filesystem::create_directory(dir / "out");
    for (const auto& c : cases)
        EXPECT_EQ(test::runShell(unlha + " " + c.args), c.status) << c.args;
    EXPECT_EQ(readFile(dir / "out/say \"hi\".txt"), Bytes({'q', 'u', 'o', 't', 'e', 'd'}));
}

} // namespace
} // namespace unlha
