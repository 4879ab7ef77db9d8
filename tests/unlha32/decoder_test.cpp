// Our -lh5- family decoder against the format's worked examples, the refusals the strict readers
// make, and liblhasa and libarchive on every -lh5-/-lh6-/-lh7- member of the archives the tests
// keep (jlha's, and the fuzz corpus).
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/crc16.h"
#include "unlha32/fuzz/other_readers.h"
#include "unlha32/lh_decoder.h"

namespace unlha {
namespace {

using fuzz::ReaderResult;
using test::Bytes;

Bytes hex(const std::string& text)
{
    Bytes b;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        b.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return b;
}

struct Decoded {
    LhOutcome outcome;
    Bytes bytes;
};

Decoded decode(const LhMethod& m, const Bytes& stream, std::uint64_t original)
{
    Decoded d{LhOutcome::Damaged, {}};
    d.outcome = decodeLh(m, stream, original, [&](const std::uint8_t* p, std::size_t n) {
        d.bytes.insert(d.bytes.end(), p, p + n);
        return true;
    });
    return d;
}

Bytes repeated(std::size_t n, char c) { return Bytes(n, static_cast<std::uint8_t>(c)); }
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(LhDecoder, WorkedExamplesOfTheFormat)
{
    struct Case {
        const char* what;
        Bytes stream;
        Bytes expected;
    };
    const std::vector<Case> cases{
        // jlha: 'a', then a match of 111 one byte back.
        {"112 x 'a'", hex("0002200436d1367b4010"), repeated(112, 'a')},
        // jlha: six literals, a match of 29 six back, a line feed.
        {"hello", hex("000832696a379e40323082c1c252d01d819f50"), text("hello hello hello hello hello hello\n")},
        {"abracadabra", hex("000b3869694873a005059d6d507a8054a00249a53393fb40"),
         text("abracadabra abracadabra abracadabra abracadabra\n")},
        // Ours: a C table of two one-bit codes, one of them unused.
        {"one byte", hex("000120042428590080"), text("A")},
        // LHA's own single-code C table: the code costs no bits (libarchive refuses it).
        {"single-code C table", hex("00010000041000"), text("A")},
    };
    for (const auto& c : cases) {
        const Decoded d = decode(kLh5, c.stream, c.expected.size());
        EXPECT_EQ(d.outcome, LhOutcome::Ok) << c.what;
        EXPECT_EQ(d.bytes, c.expected) << c.what;
    }
}

// Fields high bit first, the way the format packs them.
class Bits {
public:
    Bits& put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0)
                bytes_.push_back(0);
            if ((value >> i) & 1)
                bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (used_ % 8));
            ++used_;
        }
        return *this;
    }
    Bytes bytes() const { return bytes_; }

private:
    Bytes bytes_;
    int used_ = 0;
};

// A block of `count` one-bit literal codes for the bytes 0 and 1: the T table in its single-code
// form names length 1 (symbol 3) for both C lengths, the P table is single-code too.
Bits oneBitBlock(unsigned count)
{
    Bits b;
    return b.put(count, 16).put(0, 5).put(3, 5).put(2, 9).put(0, 4).put(0, 4);
}

TEST(LhDecoder, RefusesWhatTheStrictReadersRefuse)
{
    const Bytes aaa = hex("0002200436d1367b4010"); // 112 x 'a'
    struct Case {
        const char* what;
        Bytes stream;
        std::uint64_t original;
    };
    const std::vector<Case> cases{
        {"a block of no codes", Bits().put(0, 16).put(0, 5).put(3, 5).bytes(), 1},
        {"a T table of 20 lengths", Bits().put(1, 16).put(20, 5).bytes(), 1},
        {"a single-code T symbol past the table", Bits().put(1, 16).put(0, 5).put(19, 5).bytes(), 1},
        {"a T length of 17", Bits().put(1, 16).put(3, 5).put(7, 3).put(0x3FF, 10).put(0, 1).bytes(), 1},
        {"a C table of 511 lengths", Bits().put(1, 16).put(0, 5).put(3, 5).put(511, 9).bytes(), 1},
        {"a single-code C symbol past the table", Bits().put(1, 16).put(0, 5).put(3, 5).put(0, 9).put(510, 9).bytes(), 1},
        {"an incomplete C table (one code of one bit)", Bits().put(1, 16).put(0, 5).put(3, 5).put(1, 9).put(0, 12).bytes(), 1},
        {"an over-full C table (three codes of one bit)", Bits().put(1, 16).put(0, 5).put(3, 5).put(3, 9).put(0, 12).bytes(), 1},
        {"a run of zero lengths past the C table", Bits().put(1, 16).put(0, 5).put(1, 5).put(2, 9).put(0, 4).put(0, 8).bytes(), 1},
        {"a P table of 15 lengths", Bits().put(1, 16).put(0, 5).put(3, 5).put(2, 9).put(15, 4).put(0, 16).bytes(), 1},
        {"a single-code P symbol past the table", Bits().put(1, 16).put(0, 5).put(3, 5).put(2, 9).put(0, 4).put(14, 4).put(0, 8).bytes(), 1},
        {"codes cut short", oneBitBlock(16).put(0, 8).bytes(), 16},
        {"the last match runs past the size", aaa, 100},
        {"a size larger than the stream holds", aaa, 113},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(kLh5, c.stream, c.original).outcome, LhOutcome::Damaged) << c.what;
        // The reader the archiver relied on before refuses the same.
        EXPECT_EQ(fuzz::readWithLibarchive(fuzz::archiveAround(c.stream, "-lh5-", c.original, 0)).status, ReaderResult::Failed)
            << c.what;
    }
    // The well-formed block these cases break is read.
    const Decoded good = decode(kLh5, oneBitBlock(16).put(0x5555, 16).bytes(), 16);
    EXPECT_EQ(good.outcome, LhOutcome::Ok);
    EXPECT_EQ(good.bytes, (Bytes{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
}

TEST(LhDecoder, AgreesWithLhasaOnTheArchivesTheTestsKeep)
{
    std::vector<std::string> archives;
    for (const std::string folder : {"/tests/unlha32/fixtures/jlha", "/tests/unlha32/fuzz_corpus/reader"})
        for (const auto& name : test::listFolder(VELMOR_SOURCE_DIR + folder))
            if (!std::filesystem::is_directory(VELMOR_SOURCE_DIR + folder + "/" + name))
                archives.push_back(VELMOR_SOURCE_DIR + folder + "/" + name);
    int compared = 0;
    int readByLhasa = 0;
    for (const auto& path : archives) {
        const Bytes archive = test::readFile(path);
        const ArchiveIndex index = indexArchive(archive);
        for (const auto& m : index.members) {
            const LhMethod* method = decodableMethod(m.method);
            if (!method || m.dataOffset + m.packed > archive.size() || m.original > (1u << 24))
                continue;
            const Bytes packed(archive.begin() + static_cast<std::ptrdiff_t>(m.dataOffset),
                               archive.begin() + static_cast<std::ptrdiff_t>(m.dataOffset + m.packed));
            const Decoded ours = decode(*method, packed, m.original);
            const bool oursOk = ours.outcome == LhOutcome::Ok && crc16(ours.bytes.data(), ours.bytes.size()) == m.crc;
            const Bytes alone = fuzz::archiveAround(packed, method->id, m.original, m.crc);
            const ReaderResult lhasa = fuzz::readWithLhasa(alone);
            SCOPED_TRACE(path + " " + m.name);
            if (lhasa.status == ReaderResult::Ok) {
                ++readByLhasa;
                EXPECT_TRUE(oursOk);
                EXPECT_EQ(ours.bytes, lhasa.bytes);
            } else if (oursOk) {
                const ReaderResult libarchive = fuzz::readWithLibarchive(alone);
                EXPECT_EQ(libarchive.status, ReaderResult::Ok) << "ours reads what lhasa refuses";
                EXPECT_EQ(ours.bytes, libarchive.bytes);
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
    EXPECT_GT(readByLhasa, 6); // jlha's members at least
}

} // namespace
} // namespace unlha
