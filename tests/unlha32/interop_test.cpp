// Archives made by `unlha a` checked by four independent readers (lhasa, bsdtar, 7-Zip, jlha), and
// extracted again by them byte for byte: small and odd files, and files whose 1 MiB chunks are
// cut in every way that matters to the parallel compressor.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "bench/common/photo.h"
#include "test_support.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using test::Bytes;

struct Peer {
    const char* tool;
    // %A is the archive, %D an empty folder to extract into.
    std::string test;
    std::string extract;
    bool readsUtf8Names = true;
    bool keepsTimes = true; // jlha dates what it extracts at the time of extraction
};

const std::vector<Peer>& peers()
{
    static const std::vector<Peer> list{
        {"lhasa", "lhasa t %A", "cd %D && lhasa xfq %A"},
        {"bsdtar", "bsdtar -tf %A", "bsdtar -xf %A -C %D"},
        {"7z", "7z t %A", "7z x -y -o%D %A"},
        {"jlha", "jlha t %A", "cd %D && jlha xq %A", false, false},
    };
    return list;
}

std::string commandFor(std::string text, const std::string& archive, const std::string& folder)
{
    for (auto [key, value] : {std::pair<std::string, std::string>{"%A", "'" + archive + "'"}, {"%D", "'" + folder + "'"}})
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    return text;
}

// Adds the files (name -> bytes) with `unlha a` and has every peer test and extract the archive.
void checkWithPeers(const std::vector<std::pair<std::string, Bytes>>& files, const std::string& what, bool asciiNames = true)
{
    test::ScratchDir dir;
    std::string line = "a " + test::quoted(dir / "arc.lzh");
    for (const auto& [name, bytes] : files) {
        test::writeFile(dir / name, bytes);
        line += " " + test::quoted(dir / name);
    }
    const auto r = test::callUnlha(line);
    ASSERT_EQ(r.code, UNLHA_OK) << what << "\n" << r.output;
    for (const auto& peer : peers()) {
        if (!test::haveTool(peer.tool)) {
            ADD_FAILURE() << peer.tool << " is not installed (scripts/setup installs it)";
            continue;
        }
        if (!asciiNames && !peer.readsUtf8Names)
            continue;
        EXPECT_EQ(test::runShell(commandFor(peer.test, dir / "arc.lzh", "")), 0) << peer.tool << " test: " << what;
        const std::string out = dir / (std::string("x-") + peer.tool);
        std::filesystem::create_directory(out);
        ASSERT_EQ(test::runShell(commandFor(peer.extract, dir / "arc.lzh", out)), 0) << peer.tool << " extract: " << what;
        for (const auto& [name, bytes] : files)
            EXPECT_TRUE(test::readFile(out + "/" + name) == bytes) << peer.tool << " got other bytes for " << name << ": " << what;
    }
}

TEST(Interop, PeersReadOurArchives)
{
    Bytes runs(5000, 'a');
    Bytes twoBlocks = test::textBytes(65536);
    twoBlocks.insert(twoBlocks.end(), runs.begin(), runs.end());
    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, Bytes>>>> cases{
        {"empty file", {{"empty.txt", {}}}},
        {"one byte", {{"one.txt", {'A'}}}},
        {"two equal bytes", {{"aa.txt", {'A', 'A'}}}},
        {"around the 8 KiB window",
         {{"w8191.txt", test::textBytes(8191)}, {"w8192.txt", test::textBytes(8192)}, {"w8193.txt", test::textBytes(8193)}}},
        {"around the 64 KiB block limit",
         {{"b65535.txt", test::textBytes(65535)}, {"b65536.bin", twoBlocks}, {"b65537.txt", test::textBytes(65537)}}},
        {"long runs", {{"runs.bin", runs}, {"zeros.bin", Bytes(300000, 0)}}},
        {"random bytes are stored", {{"random.bin", test::randomBytes(70000, 4)}}},
        {"names with spaces", {{"my picture 1.bmp", test::textBytes(3000)}}},

        {"a name that would make a 256-byte header", {{std::string(222, 'n'), test::textBytes(100)}}},
    };
    for (const auto& [what, files] : cases)
        checkWithPeers(files, what);
    // jlha reads names as code page 932 only.
    checkWithPeers({{"사진 ✓.bmp", test::textBytes(2000)}}, "a name with no code page 932 form goes in UTF-8", false);
}

// The command compresses in chunks of 1 MiB, each on any thread, joined into one stream.
TEST(Interop, PeersReadEveryWayAChunkCanBeCut)
{
    constexpr std::size_t kChunk = 1 << 20;
    const Bytes period = test::randomBytes(5000, 31);
    Bytes acrossCuts; // found again only 5000 bytes back, across both cuts
    while (acrossCuts.size() < 2 * kChunk + 7000)
        acrossCuts.insert(acrossCuts.end(), period.begin(), period.end());
    Bytes runAcross = test::textBytes(kChunk - 40); // one run over the cut
    runAcross.insert(runAcross.end(), 600, 'r');
    Bytes text = test::textBytes(2 * kChunk + 1);
    checkWithPeers({{"one-chunk.txt", Bytes(text.begin(), text.begin() + kChunk)},
                    {"two-chunks.txt", Bytes(text.begin(), text.begin() + 2 * kChunk)},
                    {"two-chunks-and-a-byte.txt", text},
                    {"under-a-chunk.txt", test::textBytes(kChunk - 1)},
                    {"across-cuts.bin", acrossCuts},
                    {"run-across.txt", runAcross},
                    {"noise.bin", test::randomBytes(kChunk + 3000, 6)}},
                   "chunks cut in every way");
}

TEST(Interop, PeersReadALargePhoto)
{
    const Bytes photo = bench::makePhotoBmp(3400, 3000); // about 30 MB
    ASSERT_GT(photo.size(), 30'000'000u);
    checkWithPeers({{"photo.bmp", photo}}, "30 MB photo-like bitmap");
}

// Byte-for-byte checks pass for an archive whose every member is dated 1970: the peers' own
// reading of each member's time is the oracle, to the two seconds of the MS-DOS stamps.
TEST(Interop, PeersSeeEachMembersModificationTime)
{
    test::ScratchDir dir;
    const std::vector<std::pair<std::string, std::time_t>> files{
        {"last-century.txt", 946684799}, // 1999-12-31 23:59:59 UTC
        {"recent.txt", 1704164647},      // 2024-01-02 03:04:07 UTC
    };
    std::string line = "a " + test::quoted(dir / "dated.lzh");
    for (const auto& [name, when] : files) {
        test::writeFile(dir / name, test::textBytes(500));
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0) << name;
        line += " " + test::quoted(dir / name);
    }
    ASSERT_EQ(test::callUnlha(line).code, UNLHA_OK);
    for (const auto& peer : peers()) {
        if (!peer.keepsTimes)
            continue;
        const std::string out = dir / (std::string("x-") + peer.tool);
        std::filesystem::create_directory(out);
        ASSERT_EQ(test::runShell(commandFor(peer.extract, dir / "dated.lzh", out)), 0) << peer.tool;
        for (const auto& [name, when] : files) {
            struct stat st {};
            ASSERT_EQ(::stat((out + "/" + name).c_str(), &st), 0) << peer.tool << " " << name;
            EXPECT_LE(std::llabs(static_cast<long long>(st.st_mtime) - when), 2)
                << peer.tool << " dates " << name << " " << st.st_mtime << " instead of " << when;
        }
    }
}

TEST(Interop, ReplacingAMemberKeepsTheArchiveReadable)
{
    test::ScratchDir dir;
    const std::string arc = dir / "three.lzh";
    for (const char* name : {"one.txt", "two.txt", "three.txt"})
        test::writeFile(dir / name, test::textBytes(1000 + std::string(name).size()));
    ASSERT_EQ(test::callUnlha("a " + arc + " " + (dir / "one.txt") + " " + (dir / "two.txt") + " " + (dir / "three.txt")).code, UNLHA_OK);
    test::writeFile(dir / "two.txt", test::randomBytes(3000, 8));
    ASSERT_EQ(test::callUnlha("a " + arc + " " + (dir / "two.txt")).code, UNLHA_OK);
    for (const auto& peer : peers()) {
        const std::string out = dir / (std::string("x-") + peer.tool);
        std::filesystem::create_directory(out);
        ASSERT_EQ(test::runShell(commandFor(peer.extract, arc, out)), 0) << peer.tool;
        EXPECT_EQ(test::listFolder(out), (std::vector<std::string>{"one.txt", "three.txt", "two.txt"})) << peer.tool;
        EXPECT_TRUE(test::readFile(out + "/two.txt") == test::readFile(dir / "two.txt")) << peer.tool;
    }
}

} // namespace
} // namespace unlha
