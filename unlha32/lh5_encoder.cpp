// Block coder of the -lh5- family: tokens are grouped into blocks, each with its own three
// Huffman tables (T codes the C lengths, C literals and lengths, P positions).
#include "unlha32/lh5_encoder.h"

#include <algorithm>
#include <array>

#include "unlha32/huffman.h"

namespace unlha {
namespace {

constexpr int kNC = kLiteralSymbols;
constexpr int kNT = kTableSymbols;
constexpr std::size_t kBlockTokens = 16384; // codes per block; any 1..65535 is legal

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
        freqP[tokenPositionSymbol(tokens[i])] += c >> 8;
    }

    auto lenC = huffmanLengths(freqC, kMaxCodeLength);
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
    const auto lenT = huffmanLengths(freqT, kMaxCodeLength);
    const auto codeT = canonicalCodes(lenT);

    const int np = m.positionSymbols;
    int loneP = onlySymbol(freqP.data(), np);
    auto lenP = huffmanLengths(std::span(freqP.data(), np), kMaxCodeLength);
    if (loneP == -1) {
        loneP = 0; // a block without matches: the single-code form, never used
    } else if (loneP >= 0) {
        // Matches all of one distance class: not the single-code form either, whose positions
        // cost no bits (jlha drops a last match whose position takes no bits when the stream
        // ends on a byte boundary), but a 1-bit code beside an unused partner.
        lenP[loneP == 0 ? 1 : 0] = 1;
        loneP = -1;
    }
    const auto codeP = canonicalCodes(lenP);

    out.put(static_cast<std::uint32_t>(count), 16);
    putSmallTable(out, lenT, kTableCountBits, loneT, true);
    out.put(static_cast<std::uint32_t>(nC), kLiteralCountBits);
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
        // The C code, the position's code and its extra bits go out together (at most 16 + 16
        // + 15 bits); for a literal the position part is zero bits, which saves a
        // hard-to-predict branch.
        const unsigned c = tokenSymbol(tokens[i]);
        const std::uint32_t p = tokenPosition(tokens[i]);
        const int k = static_cast<int>(tokenPositionSymbol(tokens[i]));
        const int extra = k >= 2 ? k - 1 : 0;
        const std::uint32_t code = packedP[k] & (0u - (c >> 8)); // c >> 8: 1 for a match, 0 for a literal
        const int positionBits = static_cast<int>(code & 31) + extra;
        const std::uint64_t position = ((code >> 5) << extra) | (p & ((1u << extra) - 1));
        out.put((std::uint64_t{packedC[c] >> 5} << positionBits) | position, static_cast<int>(packedC[c] & 31) + positionBits);
    }
}

} // namespace

ChunkCoder::ChunkCoder(const LhMethod& method, const MatchEffort& effort)
    : method_(method), effort_(effort), finder_(method.windowBits)
{
}

void ChunkCoder::code(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, BitWriter& out)
{
    finder_.tokenise(data, begin, end, effort_, kBlockTokens,
                     [&](const Token* tokens, std::size_t count) { encodeBlock(tokens, count, method_, out); });
}

} // namespace unlha
