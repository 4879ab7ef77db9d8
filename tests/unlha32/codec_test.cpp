// The archiver's coding units: CRC, Huffman tables, the matcher's tokens and the -lh4-..-lh7-
// streams, each decoded again by our reader, liblhasa and libarchive; chunks cut anywhere, on any
// number of threads.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>
#include <string>

#include "bench/common/photo.h"
#include "platform/jobserver.h"
#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/fuzz/other_readers.h"
#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"
#include "unlha32/huffman.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/member_decoder.h"

namespace unlha {
namespace {

using test::Bytes;

std::uint16_t bitwiseCrc(const Bytes& b)
{
    unsigned c = 0;
    for (auto x : b) {
        c ^= x;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
    }
    return static_cast<std::uint16_t>(c);
}

TEST(Crc16, KnownValuesAndAnyLength)
{
    EXPECT_EQ(crc16("123456789", 9), 0xBB3D);
    EXPECT_EQ(crc16("A", 1), 0x30C0);
    EXPECT_EQ(crc16("", 0), 0);
    for (std::size_t n = 0; n < 40; ++n) {
        const Bytes b = test::randomBytes(n, static_cast<std::uint32_t>(n));
        EXPECT_EQ(crc16(b.data(), b.size()), bitwiseCrc(b)) << n;
        // Continuing a sum over two pieces gives the sum of the whole.
        EXPECT_EQ(crc16(b.data() + n / 3, n - n / 3, crc16(b.data(), n / 3)), bitwiseCrc(b)) << n;
    }
}

// Kraft sum in units of 2^-16: a complete code sums to exactly 65536.
std::uint64_t kraft(const std::vector<std::uint8_t>& lengths)
{
    std::uint64_t sum = 0;
    for (auto l : lengths)
        if (l)
            sum += std::uint64_t{1} << (16 - l);
    return sum;
}

TEST(Huffman, CompleteAndNeverLongerThan16)
{
    std::vector<std::vector<std::uint32_t>> tables;
    std::vector<std::uint32_t> fib(510, 0); // Fibonacci weights would need 30+ bit codes unlimited
    std::uint32_t a = 1, b = 1;
    for (int i = 0; i < 40; ++i) {
        fib[i * 12] = a;
        const std::uint32_t next = a + b;
        a = b;
        b = next;
    }
    tables.push_back(fib);
    tables.push_back(std::vector<std::uint32_t>(510, 7));              // flat
    tables.push_back({0, 0, 5, 0, 1});                                  // two used
    tables.push_back({1, 1000000, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}); // one dominant
    for (const auto& freq : tables) {
        const auto len = huffmanLengths(freq, 16);
        EXPECT_EQ(kraft(len), 65536u);
        for (std::size_t s = 0; s < freq.size(); ++s) {
            EXPECT_LE(len[s], 16);
            EXPECT_EQ(len[s] == 0, freq[s] == 0);
            for (std::size_t t = 0; t < freq.size(); ++t) {
                if (freq[s] > freq[t] && freq[t] > 0) {
                    EXPECT_LE(len[s], len[t]) << "a more frequent symbol got a longer code";
                }
            }
        }
        // Canonical codes of these lengths are prefix-free.
        const auto code = canonicalCodes(len);
        for (std::size_t s = 0; s < len.size(); ++s)
            for (std::size_t t = 0; t < len.size(); ++t) {
                if (s != t && len[s] && len[t] && len[s] <= len[t]) {
                    EXPECT_NE(code[t] >> (len[t] - len[s]), code[s]);
                }
            }
    }
}

// Replays tokens with every bound a strict decoder enforces.
Bytes replay(const std::vector<Token>& tokens, const Bytes& prefix, int windowBits)
{
    Bytes out = prefix;
    for (Token t : tokens) {
        const unsigned c = tokenSymbol(t);
        if (c < 256) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        const std::size_t len = c - 256 + kMinMatch;
        const std::size_t dist = tokenPosition(t) + 1;
        EXPECT_LE(len, std::size_t{kMaxMatch});
        EXPECT_LE(dist, std::size_t{1} << windowBits);
        if (dist > out.size()) {
            ADD_FAILURE() << "match reaches before the data start";
            return {};
        }
        for (std::size_t k = 0; k < len; ++k)
            out.push_back(out[out.size() - dist]);
    }
    return out;
}

TEST(MatchFinder, TokensRebuildTheInputWithinTheWindow)
{
    Bytes periodic = test::randomBytes(8192, 5);
    periodic.insert(periodic.end(), periodic.begin(), periodic.end()); // only match: exactly 8192 back
    const std::vector<Bytes> inputs{Bytes(1000, 'x'), test::textBytes(30000), periodic, test::randomBytes(3000, 9)};
    for (const auto& in : inputs)
        for (std::size_t begin : {std::size_t{0}, in.size() / 3}) {
            std::vector<Token> tokens;
            tokenise(in, begin, in.size(), 13, {}, tokens);
            const Bytes prefix(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(begin));
            EXPECT_EQ(replay(tokens, prefix, 13), in);
        }
    std::vector<Token> tokens;
    tokenise(periodic, 0, periodic.size(), 13, {}, tokens);
    EXPECT_LT(tokens.size(), 8192u + 100) << "the second half should be found 8192 bytes back";
}

// Wraps a stream into a one-member archive and decodes it through our reader.
Bytes decodeThroughReaders(const Bytes& stream, const Bytes& original, const LhMethod& m, MemberOutcome& outcome)
{
    const auto header = level2Header({"t.bin", m.id, static_cast<std::uint32_t>(stream.size()),
                                      static_cast<std::uint32_t>(original.size()), 0,
                                      crc16(original.data(), original.size())});
    Bytes archive(header.begin(), header.end());
    archive.insert(archive.end(), stream.begin(), stream.end());
    archive.push_back(0);
    const ArchiveIndex index = indexArchive(archive);
    EXPECT_EQ(index.status, ArchiveIndex::Status::Ok) << index.problem;
    Bytes decoded;
    outcome = MemberOutcome::Skipped;
    MemberVisitor v;
    v.open = [&](const IndexedMember&) -> Consumer {
        return [&](const std::uint8_t* d, std::size_t n) {
            decoded.insert(decoded.end(), d, d + n);
            return true;
        };
    };
    v.done = [&](const IndexedMember&, MemberOutcome o) {
        outcome = o;
        return true;
    };
    decodeMembers(archive, index, v);
    return decoded;
}

// Our reader, liblhasa and (for the methods it knows) libarchive all give back the input.
void expectEveryReaderGivesBack(const Bytes& stream, const Bytes& input, const LhMethod& m, const std::string& what)
{
    MemberOutcome outcome;
    EXPECT_TRUE(decodeThroughReaders(stream, input, m, outcome) == input) << what << ' ' << m.id;
    EXPECT_EQ(outcome, MemberOutcome::Ok) << what << ' ' << m.id;
    const Bytes alone = fuzz::archiveAround(stream, m.id, input.size(), crc16(input.data(), input.size()));
    const fuzz::ReaderResult lhasa = fuzz::readWithLhasa(alone);
    EXPECT_TRUE(lhasa.status == fuzz::ReaderResult::Ok && lhasa.bytes == input) << "liblhasa: " << what << ' ' << m.id;
    if (decodableMethod(m.id)) {
        const fuzz::ReaderResult libarchive = fuzz::readWithLibarchive(alone);
        // libarchive trips over a stream that ends on a code of no bits (a single-code P table
        // after the last match); lhasa, 7-Zip and jlha do not.
        const bool zeroBitEnd = input.size() < 3 || what.find("long match ends") != std::string::npos;
        EXPECT_TRUE(zeroBitEnd || (libarchive.status == fuzz::ReaderResult::Ok && libarchive.bytes == input))
            << "libarchive: " << what << ' ' << m.id;
    }
}

struct StreamCase {
    std::string what;
    Bytes input;
};

TEST(LhEncoder, StreamsDecodeExactly)
{
    Bytes runs(70000, 'r');               // matches of 256 back to back
    Bytes blockEdge = test::textBytes(65536);
    blockEdge.insert(blockEdge.end(), 300, 'z');
    const std::vector<StreamCase> cases{
        {"one byte", {'A'}},
        {"two equal bytes", {'A', 'A'}},
        {"three", {'a', 'b', 'c'}},
        {"8191 text", test::textBytes(8191)},
        {"8192 text", test::textBytes(8192)},
        {"8193 text", test::textBytes(8193)},
        {"65535 text", test::textBytes(65535)},
        {"65536 text then a run", blockEdge},
        {"65537 random", test::randomBytes(65537, 11)},
        {"long runs", runs},
        {"one long match ends the stream", [] { Bytes b{'q', 'w'}; b.insert(b.end(), 257, 'q'); return b; }()},
        {"a smooth picture", bench::makePhotoBmp(300, 200)},
    };
    const LhMethod* methods[] = {&kLh4, &kLh5, &kLh6, &kLh7};
    for (const auto& c : cases)
        for (const LhMethod* m : methods)
            expectEveryReaderGivesBack(encodeLh(c.input, *m), c.input, *m, c.what);
}

// Inputs cut into chunks of 4 KiB, shorter than the 8 KiB window, so that matches reach across
// one cut and more.
TEST(LhEncoder, ChunksJoinIntoOneStreamWhateverTheThreads)
{
    constexpr std::size_t kChunk = 4096;
    const Bytes period = test::randomBytes(3000, 21);
    Bytes repeats; // random bytes that are only found again 3000 bytes back, across the cuts
    while (repeats.size() < 5 * kChunk)
        repeats.insert(repeats.end(), period.begin(), period.end());
    Bytes runAcross = test::textBytes(kChunk - 100); // a run from before a cut to after the next
    runAcross.insert(runAcross.end(), kChunk + 200, 'r');
    const Bytes text = test::textBytes(kChunk * 2);
    const std::vector<StreamCase> cases{
        {"one byte", {'A'}},
        {"less than a chunk", test::textBytes(kChunk - 1)},
        {"exactly one chunk", Bytes(text.begin(), text.begin() + kChunk)},
        {"one chunk and a byte", test::textBytes(kChunk + 1)},
        {"exactly two chunks", text},
        {"matches reaching back across the cuts", repeats},
        {"a run across the cuts", runAcross},
        {"incompressible", test::randomBytes(3 * kChunk + 5, 8)},
        {"a smooth picture", bench::makePhotoBmp(120, 100)},
    };
    for (const auto& c : cases) {
        EncodeOptions o;
        o.chunkSize = kChunk;
        o.threads = 1;
        const Bytes one = encodeLh(c.input, kLh5, o);
        expectEveryReaderGivesBack(one, c.input, kLh5, c.what);
        for (unsigned threads : {2u, 8u}) {
            o.threads = threads;
            EXPECT_TRUE(encodeLh(c.input, kLh5, o) == one) << c.what << ": other bytes with " << threads << " threads";
        }
    }
    // Matches reached back across the cuts: the repeats cost little more than one period.
    EncodeOptions o;
    o.chunkSize = kChunk;
    EXPECT_LT(encodeLh(repeats, kLh5, o).size(), period.size() + 1000);
}

TEST(LhEncoder, StreamsInAndOutInPieces)
{
    // 64 chunks of input that does not shrink: the first mebibyte of output leaves long before
    // the input has all been read.
    const Bytes input = test::randomBytes(64 << 16, 12);
    EncodeOptions o;
    o.chunkSize = 1 << 16;
    o.threads = 2;
    std::size_t read = 0;
    std::size_t readAtFirstOutput = 0;
    Bytes stream;
    const EncodedStream r = encodeLhStream(
        kLh5, o,
        [&](std::uint8_t* out, std::size_t n) {
            n = std::min(n, input.size() - read);
            std::memcpy(out, input.data() + read, n);
            read += n;
            return static_cast<std::ptrdiff_t>(n);
        },
        [&](const std::uint8_t* d, std::size_t n) {
            if (stream.empty())
                readAtFirstOutput = read;
            stream.insert(stream.end(), d, d + n);
        });
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.original, input.size());
    EXPECT_EQ(r.packed, stream.size());
    EXPECT_EQ(r.crc, crc16(input.data(), input.size()));
    EXPECT_LT(readAtFirstOutput, input.size() / 2);
    expectEveryReaderGivesBack(stream, input, kLh5, "64 chunks");
}

TEST(LhEncoder, AReadFailureOrAThrowingSinkEndsTheStream)
{
    const Bytes input = test::textBytes(10 << 16);
    EncodeOptions o;
    o.chunkSize = 1 << 16;
    o.threads = 4;
    std::size_t read = 0;
    const InputSource failsMidway = [&](std::uint8_t* out, std::size_t n) -> std::ptrdiff_t {
        if (read > input.size() / 2)
            return -1;
        n = std::min(n, input.size() - read);
        std::memcpy(out, input.data() + read, n);
        read += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    EXPECT_FALSE(encodeLhStream(kLh5, o, failsMidway, [](const std::uint8_t*, std::size_t) {}).complete);
    read = 0;
    const InputSource whole = [&](std::uint8_t* out, std::size_t n) {
        n = std::min(n, input.size() - read);
        std::memcpy(out, input.data() + read, n);
        read += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    EXPECT_THROW(encodeLhStream(kLh5, o, whole, [](const std::uint8_t*, std::size_t) { throw std::runtime_error("full"); }),
                 std::runtime_error);
}

// The threads of this process while it encodes 40 chunks with a job server of `tokens` bytes:
// the budget is read once per process, so this runs in a child process.
std::size_t threadsWhileEncoding(int tokens)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return 0;
    for (int i = 0; i < tokens; ++i)
        (void)!::write(fds[1], "+", 1);
    ::setenv("MAKEFLAGS", ("--jobserver-auth=" + std::to_string(fds[0]) + "," + std::to_string(fds[1])).c_str(), 1);
    const Bytes input = test::randomBytes(40 << 14, 5);
    EncodeOptions o;
    o.chunkSize = 1 << 14;
    std::size_t read = 0;
    std::size_t most = 0;
    encodeLhStream(
        kLh5, o,
        [&](std::uint8_t* out, std::size_t n) {
            n = std::min(n, input.size() - read);
            std::memcpy(out, input.data() + read, n);
            read += n;
            const auto tasks = std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
            most = std::max(most, static_cast<std::size_t>(tasks));
            return static_cast<std::ptrdiff_t>(n);
        },
        [](const std::uint8_t*, std::size_t) {});
    return most;
}

TEST(LhEncoder, HelpersComeFromTheJobBudget)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Never more than the processors, and never more than the budget gives.
    for (int tokens : {0, 1, 3})
        EXPECT_EXIT(
            {
                const auto expected = static_cast<std::size_t>(std::min(1 + tokens, platform::jobs::processors()));
                std::exit(threadsWhileEncoding(tokens) == expected ? 0 : 1);
            },
            testing::ExitedWithCode(0), "")
            << tokens;
}

TEST(Crc16, PiecesCombineIntoTheSumOfTheWhole)
{
    const Bytes b = test::randomBytes(100000, 4);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{65536}, b.size()}) {
        const std::uint16_t first = crc16(b.data(), cut);
        const std::uint16_t second = crc16(b.data() + cut, b.size() - cut);
        EXPECT_EQ(crc16Combine(first, second, b.size() - cut), bitwiseCrc(b)) << cut;
    }
}

TEST(HeaderWriter, LengthNeverAMultipleOf256AndReadBack)
{
    for (std::size_t n = 1; n < 300; ++n) {
        const std::string name(n, 'n');
        const auto h = level2Header({name, "-lh0-", 0, 0, 1704164646, 0});
        ASSERT_NE(h.size() % 256, 0u) << n;
        EXPECT_EQ(h[0] | (h[1] << 8), static_cast<int>(h.size()));
        Bytes archive(h.begin(), h.end());
        archive.push_back(0);
        const ArchiveIndex index = indexArchive(archive);
        ASSERT_EQ(index.status, ArchiveIndex::Status::Ok) << n << index.problem;
        EXPECT_EQ(index.members[0].name, name);
        EXPECT_EQ(index.members[0].mtime, 1704164646);
        EXPECT_EQ(h[19], 0x20);
        EXPECT_EQ(h[23], 'M');
    }
}

} // namespace
} // namespace unlha
