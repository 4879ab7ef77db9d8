// Block coder and driver of the -lh5- family: tokens are grouped into blocks, each with its own
// three Huffman tables (T codes the C lengths, C literals and lengths, P positions). Chunks of
// the input are tokenised and coded on all processors, and their bit streams joined in order.
#include "unlha32/lh5_encoder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>

#include "unlha32/bit_writer.h"
#include "unlha32/cancel.h"
#include "unlha32/huffman.h"

namespace unlha {
namespace {

constexpr int kNC = 510;        // C symbols: 256 literals + 254 match lengths
constexpr int kNT = 19;         // T symbols
constexpr int kTBits = 5;       // width of the T table's length count
constexpr int kCBits = 9;       // width of the C table's length count
constexpr int kMaxCodeLen = 16;
constexpr std::size_t kBlockTokens = 16384; // codes per block; any 1..65535 is legal

int bitLength(std::uint32_t v)
{
    return v == 0 ? 0 : 32 - __builtin_clz(v);
}

// One item of the run-length coded C table: a T symbol and the extra bits that follow it.
struct TItem {
    std::uint8_t symbol;
    std::uint8_t extraBits;
    std::uint16_t extra;
};

std::vector<TItem> codeCLengths(const std::vector<std::uint8_t>& lenC, int n)
{
    std::vector<TItem> items;
    for (int i = 0; i < n;) {
        if (lenC[i] != 0) {
            items.push_back({static_cast<std::uint8_t>(lenC[i] + 2), 0, 0});
            ++i;
            continue;
        }
        int run = 0;
        while (i < n && lenC[i] == 0) {
            ++run;
            ++i;
        }
        while (run > 0) {
            if (run <= 2) {
                for (; run > 0; --run)
                    items.push_back({0, 0, 0});
            } else if (run <= 18) {
                items.push_back({1, 4, static_cast<std::uint16_t>(run - 3)});
                run = 0;
            } else if (run == 19) {
                items.push_back({0, 0, 0});
                items.push_back({1, 4, 15});
                run = 0;
            } else {
                const int r = std::min(run, 531);
                items.push_back({2, 9, static_cast<std::uint16_t>(r - 20)});
                run -= r;
            }
        }
    }
    return items;
}

int trimmedCount(const std::vector<std::uint8_t>& lengths)
{
    int n = static_cast<int>(lengths.size());
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return n;
}

// A length in the T and P tables: 3 bits, 7 and more as 111 followed by (len - 7) ones and a zero.
void putLength(BitWriter& out, int len)
{
    if (len < 7) {
        out.put(static_cast<std::uint32_t>(len), 3);
        return;
    }
    out.put(7, 3);
    const int ones = len - 7;
    out.put(((1u << ones) - 1) << 1, ones + 1);
}

// Writes a T or P table; `single` >= 0 sends the one-symbol form (the symbol then costs 0 bits).
void putSmallTable(BitWriter& out, const std::vector<std::uint8_t>& lengths, int countBits, int single,
                   bool isT)
{
    if (single >= 0) {
        out.put(0, countBits);
        out.put(static_cast<std::uint32_t>(single), countBits);
        return;
    }
    int n = trimmedCount(lengths);
    if (isT)
        n = std::max(n, 3); // the zero count after index 2 is part of every T table
    out.put(static_cast<std::uint32_t>(n), countBits);
    for (int i = 0; i < n; ++i) {
        putLength(out, lengths[i]);
        if (isT && i == 2) {
            int z = 0;
            while (z < 3 && i + 1 + z < n && lengths[i + 1 + z] == 0)
                ++z;
            out.put(static_cast<std::uint32_t>(z), 2);
            i += z;
        }
    }
}

int onlySymbol(const std::uint32_t* freq, int n)
{
    int found = -1;
    for (int s = 0; s < n; ++s)
        if (freq[s] != 0) {
            if (found >= 0)
                return -2;
            found = s;
        }
    return found;
}

void encodeBlock(const Token* tokens, std::size_t count, const LhMethod& m, BitWriter& out)
{
    std::array<std::uint32_t, kNC> freqC{};
    std::array<std::uint32_t, 32> freqP{};
    // Literals carry position 0 and count nothing there: no branch on the token kind.
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned c = tokenSymbol(tokens[i]);
        ++freqC[c];
        freqP[bitLength(tokenPosition(tokens[i]))] += c >= 256;
    }

    auto lenC = huffmanLengths(freqC, kMaxCodeLen);
    // Never the one-symbol form for C (one reader fails on streams ending in a 0-bit code):
    // a lone symbol gets a 1-bit code beside an unused partner.
    if (const int lone = onlySymbol(freqC.data(), kNC); lone >= 0)
        lenC[lone == 0 ? 1 : 0] = 1;
    const auto codeC = canonicalCodes(lenC);
    const int nC = trimmedCount(lenC);

    const auto items = codeCLengths(lenC, nC);
    std::array<std::uint32_t, kNT> freqT{};
    for (const auto& it : items)
        ++freqT[it.symbol];
    const int loneT = onlySymbol(freqT.data(), kNT);
    const auto lenT = huffmanLengths(freqT, kMaxCodeLen);
    const auto codeT = canonicalCodes(lenT);

    const int np = m.positionSymbols;
    int loneP = onlySymbol(freqP.data(), np);
    if (loneP == -1)
        loneP = 0; // a block without matches
    const auto lenP = huffmanLengths(std::span(freqP.data(), np), kMaxCodeLen);
    const auto codeP = canonicalCodes(lenP);

    out.put(static_cast<std::uint32_t>(count), 16);
    putSmallTable(out, lenT, kTBits, loneT, true);
    out.put(static_cast<std::uint32_t>(nC), kCBits);
    for (const auto& it : items) {
        if (loneT < 0)
            out.put(codeT[it.symbol], lenT[it.symbol]);
        if (it.extraBits)
            out.put(it.extra, it.extraBits);
    }
    putSmallTable(out, lenP, m.positionBits, loneP, false);

    // Code and length in one word per symbol: (code << 5) | length.
    std::array<std::uint32_t, kNC> packedC;
    for (int c = 0; c < kNC; ++c)
        packedC[c] = (std::uint32_t{codeC[c]} << 5) | lenC[c];
    std::array<std::uint32_t, 32> packedP{};
    for (int k = 0; k < np && loneP < 0; ++k)
        packedP[k] = (std::uint32_t{codeP[k]} << 5) | lenP[k];
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned c = tokenSymbol(tokens[i]);
        out.put(packedC[c] >> 5, static_cast<int>(packedC[c] & 31));
        // The position's code and its extra bits go out together (at most 16 + 16 bits); for a
        // literal that is zero bits, which saves a hard-to-predict branch.
        const std::uint32_t p = tokenPosition(tokens[i]);
        const int k = bitLength(p);
        const int extra = k >= 2 ? k - 1 : 0;
        const std::uint32_t code = c >= 256 ? packedP[k] : 0;
        out.put(((code >> 5) << extra) | (p & ((1u << extra) - 1)), static_cast<int>(code & 31) + extra);
    }
}

struct CodedChunk {
    std::vector<std::uint8_t> bytes;
    std::uint64_t bits = 0;
};

CodedChunk codeChunk(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end,
                     const LhMethod& m, const EncodeOptions& o, std::vector<Token>& tokens)
{
    tokens.clear();
    tokenise(data, begin, end, m.windowBits, o.effort, tokens);
    BitWriter out;
    for (std::size_t i = 0; i < tokens.size(); i += kBlockTokens)
        encodeBlock(tokens.data() + i, std::min(kBlockTokens, tokens.size() - i), m, out);
    CodedChunk chunk;
    chunk.bits = out.bitCount();
    chunk.bytes = out.finish();
    return chunk;
}

} // namespace

std::vector<std::uint8_t> encodeLh(std::span<const std::uint8_t> data, const LhMethod& method,
                                   const EncodeOptions& options)
{
    if (data.empty())
        return {};
    const std::size_t chunkSize = std::max<std::size_t>(options.chunkSize, 1);
    const std::size_t chunks = (data.size() + chunkSize - 1) / chunkSize;
    std::vector<CodedChunk> coded(chunks);

    std::atomic<std::size_t> next{0};
    auto work = [&] {
        std::vector<Token> tokens;
        for (std::size_t c; (c = next.fetch_add(1)) < chunks && !cancelRequested();) {
            const std::size_t begin = c * chunkSize;
            coded[c] = codeChunk(data, begin, std::min(data.size(), begin + chunkSize), method, options, tokens);
        }
    };
    unsigned threads = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, chunks));
    std::vector<std::thread> pool;
    try {
        for (unsigned t = 1; t < threads; ++t)
            pool.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer helpers than wished for: the threads that did start share the chunks.
    }
    work();
    for (auto& t : pool)
        t.join();

    if (chunks == 1)
        return std::move(coded[0].bytes);
    BitWriter joined;
    for (auto& c : coded) {
        joined.append(c.bytes.data(), c.bits);
        c.bytes = {};
    }
    return joined.finish();
}

} // namespace unlha
