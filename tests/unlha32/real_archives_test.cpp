// Archives as other writers on other systems made them: self-extractor stubs, MacBinary-wrapped
// members, OS-9/68k headers, Amiga comments, 64-bit sizes, directories stored as empty members,
// MS-DOS upper-case names and Shift-JIS names. Each fixture is built from the format; where
// lhasa reads the same fixture, it must give the same files.
#include <gtest/gtest.h>

#include <map>

#include "fixture_builder.h"
#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/macbinary.h"
#include "unlha32/header_writer.h"
#include "unlha32/member_decoder.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using namespace test;

using Files = std::map<std::string, Bytes>; // path below the folder -> content

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Every regular file below folder, by its path below it.
Files filesBelow(const fs::path& folder)
{
    Files found;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            found[fs::relative(e.path(), folder).string()] = readFile(e.path().string());
    return found;
}

Bytes macBinaryWrapped(const Bytes& dataFork, const Bytes& resourceFork, bool breakIt)
{
    Bytes h(128, 0);
    const std::string name = "Picture";
    h[1] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), h.begin() + 2);
    std::copy_n("PICTttxt", 8, h.begin() + 65);
    auto be32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    be32(83, static_cast<std::uint32_t>(dataFork.size()));
    be32(87, static_cast<std::uint32_t>(resourceFork.size()));
    if (breakIt)
        h[74] = 1; // a byte that must be zero
    Bytes all = h;
    all.insert(all.end(), dataFork.begin(), dataFork.end());
    all.resize((all.size() + 127) / 128 * 128, 0);
    all.insert(all.end(), resourceFork.begin(), resourceFork.end());
    all.resize((all.size() + 127) / 128 * 128, 0);
    return all;
}

// Extension 0x42: the 64-bit packed and original sizes.
Bytes sizes64(std::uint64_t packed, std::uint64_t original)
{
    Bytes e{0x42};
    for (const Bytes& v : {le64(packed), le64(original)})
        e.insert(e.end(), v.begin(), v.end());
    return e;
}

struct RealCase {
    const char* what;
    Bytes archive;
    char command;          // 'e' or 'x'
    Files expected;
    int code = UNLHA_OK;
    bool lhasaAgrees = true; // lhasa's `x` gives the same files
    bool bsdtarAgrees = true;
};

std::vector<RealCase> realCases()
{
    const Bytes a = text("first member\n");
    const Bytes b = textBytes(3000);
    const Bytes plain = archiveOf({level2Member({.name = "a.txt", .data = a}), level2Member({.name = "b.txt", .data = b})});
    auto stubbed = [&](Bytes stub) {
        stub.insert(stub.end(), plain.begin(), plain.end());
        return stub;
    };
    Bytes exeStub = text("MZ");
    exeStub.resize(6000, 0x90);
    Bytes fakeHeaderStub = text("MZ LHA-SFX -lh5- LhASFX V1.2, -pms- ");
    fakeHeaderStub.resize(900, 0);
    Bytes farStub(kStubScanLimit + 100, 0x90);

    const Bytes dataFork = textBytes(1000);
    const Bytes rsrc = randomBytes(300, 5);
    const Bytes wrapped = macBinaryWrapped(dataFork, rsrc, false);
    const Bytes notWrapped = macBinaryWrapped(dataFork, rsrc, true);

    const Bytes big = textBytes(70000);
    const Bytes bigPacked = encodeLh(big, kLh5);

    std::vector<RealCase> cases{
        {"a plain archive", plain, 'e', {{"a.txt", a}, {"b.txt", b}}},
        {"an executable stub before the first header", stubbed(exeStub), 'e', {{"a.txt", a}, {"b.txt", b}}},
        // lhasa 0.3.1 stops at the fake header, unwraps no MacBinary and knows no extension 0x42;
        // bsdtar unwraps no MacBinary either, keeps MS-DOS upper case and reads neither the
        // OS-9/68k header length nor an empty member as a folder.
        {"a stub holding header-like text", stubbed(fakeHeaderStub), 'e', {{"a.txt", a}, {"b.txt", b}}, UNLHA_OK, false},
        {"a stub longer than the scan", stubbed(farStub), 'e', {}, UNLHA_ERR_DAMAGED, false},
        {"MacBinary: the data fork only, level 1",
         archiveOf({level1Stored("Picture", wrapped, 'm')}), 'e', {{"Picture", dataFork}}, UNLHA_OK, false, false},
        {"MacBinary: the data fork only, level 2",
         archiveOf({level2Member({.name = "Picture", .data = wrapped, .os = 'm'})}), 'e', {{"Picture", dataFork}}, UNLHA_OK, false,
         false},
        {"MacBinary header failing the check: data unchanged",
         archiveOf({level2Member({.name = "Picture", .data = notWrapped, .os = 'm'})}), 'e', {{"Picture", notWrapped}}},
        {"MacBinary-like data from another system: unchanged",
         archiveOf({level2Member({.name = "Picture", .data = wrapped, .os = 'U'})}), 'e', {{"Picture", wrapped}}},
        {"OS-9/68k level-2 header two bytes short",
         archiveOf({level2Member({.name = "os9.txt", .data = a, .os = 'K', .os968kShortLength = true}),
                    level2Member({.name = "b.txt", .data = b})}),
         'e', {{"os9.txt", a}, {"b.txt", b}}, UNLHA_OK, true, false},
        {"an Amiga comment after a NUL in the name",
         archiveOf({level1Stored(std::string("metadata.txt\0This is a comment on the file.", 43), a, 'A')}), 'e',
         {{"metadata.txt", a}}},
        {"64-bit sizes in extension 0x42, stored",
         archiveOf({level2Member(
             {.name = "wide.txt", .data = b, .extensions = {sizes64(b.size(), b.size())}, .fake32BitSizes = true})}),
         'e', {{"wide.txt", b}}, UNLHA_OK, false},
        {"64-bit sizes in extension 0x42, compressed",
         archiveOf({level2Member({.name = "wide.txt", .data = big, .packedData = bigPacked, .method = "-lh5-",
                                  .extensions = {sizes64(bigPacked.size(), big.size())}, .fake32BitSizes = true})}),
         'e', {{"wide.txt", big}}, UNLHA_OK, false},
        {"an empty member named with a trailing separator is a folder, e",
         archiveOf({level1Stored("empty/", {}, 'A'), level1Stored("full/f.txt", a, 'A')}), 'e', {{"f.txt", a}}, UNLHA_OK,
         false, false},
        {"an empty member named with a trailing separator is a folder, x",
         archiveOf({level1Stored("empty/", {}, 'A'), level1Stored("full/f.txt", a, 'A')}), 'x', {{"full/f.txt", a}}, UNLHA_OK,
         true, false},
        {"MS-DOS upper-case names are lower-cased",
         archiveOf({level0Stored("README.TXT", a), level1Stored("Mixed.TXT", b, 'M'),
                    level2Member({.name = "UNIX.TXT", .data = a, .os = 'U'})}),
         'e', {{"readme.txt", a}, {"Mixed.TXT", b}, {"UNIX.TXT", a}}, UNLHA_OK, true, false},
        {"folders at level 0 with '\\', x", archiveOf({level0Stored("DOCS\\SUB\\NOTE.TXT", a)}), 'x',
         {{"docs/sub/note.txt", a}}, UNLHA_OK, true, false},
    };
    return cases;
}

TEST(RealArchives, ExtractAsTheWritersMeant)
{
    for (const auto& c : realCases()) {
        ScratchDir dir;
        const std::string out = dir / "out";
        fs::create_directory(out);
        writeFile(dir / "a.lzh", c.archive);
        const auto r = callUnlha(std::string(1, c.command) + " " + (dir / "a.lzh") + " " + out + "/");
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.output;
        EXPECT_EQ(filesBelow(out), c.expected) << c.what << "\n" << r.output;
        if (c.code == UNLHA_OK) {
            EXPECT_EQ(callUnlha("t " + (dir / "a.lzh")).code, UNLHA_OK) << c.what;
        }
        struct Peer {
            bool agrees;
            const char* tool;
            std::string extract; // into the current folder
        };
        for (const Peer& p : {Peer{c.lhasaAgrees, "lhasa", "lhasa xq '" + (dir / "a.lzh") + "'"},
                              Peer{c.bsdtarAgrees, "bsdtar", "bsdtar -xf '" + (dir / "a.lzh") + "'"}}) {
            if (!p.agrees || !haveTool(p.tool))
                continue;
            const std::string peer = dir / p.tool;
            fs::create_directory(peer);
            runShell("cd '" + peer + "' && " + p.extract);
            Files theirs = filesBelow(peer);
            if (c.command == 'e') { // the peers keep folders; compare bare names
                Files flat;
                for (auto& [path, bytes] : theirs)
                    flat[fs::path(path).filename().string()] = bytes;
                theirs = flat;
            }
            EXPECT_EQ(theirs, c.expected) << p.tool << " differs: " << c.what;
        }
    }
}

TEST(RealArchives, ListingShowsCommentsAndFolders)
{
    ScratchDir dir;
    writeFile(dir / "a.lzh", archiveOf({level1Stored(std::string("metadata.txt\0A comment.", 23), text("x"), 'A'),
                                        level1Stored("empty/", {}, 'A')}));
    const auto r = callUnlha("l " + (dir / "a.lzh"));
    ASSERT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_NE(r.output.find("  metadata.txt  [A comment.]\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("  empty/\n"), std::string::npos) << r.output;
}

TEST(RealArchives, MacBinaryCheckIsStrict)
{
    const Bytes dataFork = textBytes(500);
    const Bytes good = macBinaryWrapped(dataFork, {}, false);
    EXPECT_EQ(macBinaryDataFork(good, good.size()), 500);
    EXPECT_EQ(macBinaryDataFork(good, 128 + 500), 500) << "the last padding may be left out";
    struct Broken {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    };
    for (const auto& b : std::vector<Broken>{{"old version byte", 0, 1},
                                             {"empty name", 1, 0},
                                             {"name too long", 1, 64},
                                             {"zero byte 82", 82, 7},
                                             {"data fork past 8 MiB", 83, 1},
                                             {"tail not zero", 110, 1}}) {
        Bytes h = good;
        h[b.at] = b.value;
        EXPECT_EQ(macBinaryDataFork(h, h.size()), -1) << b.what;
    }
    EXPECT_EQ(macBinaryDataFork(good, good.size() + 128), -1) << "forks that do not add up to the member";
}

} // namespace
} // namespace unlha

namespace unlha {
namespace {

// A compressed member past 4 GiB, of which only the start is real: the file claims the rest.
class HugeMemberSource : public ByteSource {
public:
    HugeMemberSource(Bytes start, std::uint64_t size) : start_(std::move(start)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const override
    {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = offset + i < start_.size() ? start_[static_cast<std::size_t>(offset + i)] : 0;
        return offset + n <= size_;
    }

private:
    Bytes start_;
    std::uint64_t size_;
};

TEST(RealArchives, AMemberPast4GiBReachesTheDecoderWithItsSizes)
{
    constexpr std::uint64_t kOriginal = (5ull << 30) + 123;
    constexpr std::uint64_t kPacked = (1ull << 32) + 77;
    const Bytes stream = encodeLh(Bytes(1 << 20, 'z'), kLh5);
    const auto header = level2Header({"huge.bin", "-lh5-", kPacked, kOriginal, 0, 0, 'U'});
    Bytes start(header.begin(), header.end());
    start.insert(start.end(), stream.begin(), stream.end());
    const HugeMemberSource src(start, header.size() + kPacked + 1);

    const ArchiveIndex index = indexArchive(src);
    ASSERT_EQ(index.status, ArchiveIndex::Status::Ok) << index.problem;
    ASSERT_EQ(index.members.size(), 1u);
    EXPECT_EQ(index.members[0].original, kOriginal);
    EXPECT_EQ(index.members[0].packed, kPacked);

    // The decoder takes the member (a reader seeing 32-bit sizes would refuse it as damaged) and
    // streams it: the first piece arrives long before the whole would fit in memory.
    std::size_t got = 0;
    MemberOutcome outcome = MemberOutcome::Ok;
    MemberVisitor v;
    v.open = [&](const IndexedMember&) -> Consumer {
        return [&](const std::uint8_t* data, std::size_t n) {
            got += n;
            return std::all_of(data, data + n, [](std::uint8_t b) { return b == 'z'; }) && got < (1u << 20);
        };
    };
    v.done = [&](const IndexedMember&, MemberOutcome o) {
        outcome = o;
        return true;
    };
    decodeMembers(src, index, v);
    EXPECT_EQ(outcome, MemberOutcome::Stopped);
    EXPECT_GT(got, 0u);
}

} // namespace
} // namespace unlha
