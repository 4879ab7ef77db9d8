// Hash chains over four-byte prefixes, the nearest three-byte match from a table of its own, and
// one-step lazy matching: a match is put off by one byte whenever the next position starts a
// longer one. Where long matches abound (smooth pictures, text) a second chain over eight-byte
// prefixes finds them: the four-byte chain there is long, and nearly every candidate on it falls
// short of the match in hand.
#include "unlha32/match_finder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace unlha {
namespace {

constexpr int kHashBits = 16;  // heads of the four- and eight-byte chains
constexpr int kHash3Bits = 18; // last position of each three-byte prefix; few collisions
constexpr int kLong = 8;       // the eight-byte chain holds the candidates for matches this long
constexpr int kShortChain = 32; // four-byte candidates tried when the eight-byte chain found nothing
// Every this many positions the finder decides afresh whether to keep the eight-byte chain: yes
// when more than a kLongShare-th of the bytes went into matches of kLong or more.
constexpr std::size_t kProbe = 4096;
constexpr std::size_t kLongShare = 8;
// Positions are hashed, and their table slots fetched, this far ahead of their search: on
// photos the look-ups into tables larger than the first-level cache are the cost, not the
// comparisons.
constexpr std::size_t kAhead = 8;
constexpr std::uint32_t kNoHash = ~0u; // too near the end for a four- (or three-) byte prefix
// An empty table slot: so far below every position that its distance is past any window, which
// spares the walks a test of their own for it (every byte of it is 0xC0).
constexpr std::int32_t kNone = static_cast<std::int32_t>(0xC0C0C0C0u);

std::uint16_t load16(const std::uint8_t* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

std::uint32_t load32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Any mix of the bytes serves: candidates are always checked byte by byte.
std::uint32_t hash4(std::uint32_t v) { return (v * 2654435761u) >> (32 - kHashBits); }
std::uint32_t hash3(std::uint32_t v) { return ((v & 0xFFFFFF) * 2654435761u) >> (32 - kHash3Bits); }
std::uint32_t hash8(std::uint64_t v) { return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits)); }

int commonLength(const std::uint8_t* a, const std::uint8_t* b, int limit)
{
    int n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            return n + (__builtin_ctzll(x ^ y) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

struct MatchFinder::Chains {
    explicit Chains(int windowBits)
        : window(std::size_t{1} << windowBits), head4(std::size_t{1} << kHashBits), prev4(window),
          head8(std::size_t{1} << kHashBits), prev8(window), head3(std::size_t{1} << kHash3Bits)
    {
    }

    std::size_t window;
    std::vector<std::int32_t> head4; // newest position of each four-byte hash, kNone for none
    std::vector<std::int32_t> prev4; // the position before it in its chain, by position within the window
    std::vector<std::int32_t> head8; // the same for eight-byte prefixes
    std::vector<std::int32_t> prev8;
    std::vector<std::int32_t> head3; // newest position of each three-byte hash
    std::vector<Token> block;
};

MatchFinder::MatchFinder(int windowBits) : chains_(std::make_unique<Chains>(windowBits)) {}
MatchFinder::~MatchFinder() = default;

void MatchFinder::tokenise(std::span<const std::uint8_t> bytes, std::size_t begin, std::size_t end,
                           const MatchEffort& effort, std::size_t blockTokens, const TokenSink& sink)
{
    Chains& c = *chains_;
    // Nothing seen before counts: the tokens depend on these bytes alone.
    for (auto* table : {&c.head4, &c.head8, &c.head3})
        std::memset(table->data(), 0xC0, table->size() * sizeof(std::int32_t)); // all kNone
    c.block.resize(std::max<std::size_t>(blockTokens, 1));
    const std::uint8_t* const data = bytes.data();
    const std::size_t size = bytes.size();
    const std::size_t window = c.window;
    const std::size_t mask = window - 1;
    std::int32_t* const head4 = c.head4.data();
    std::int32_t* const prev4 = c.prev4.data();
    std::int32_t* const head8 = c.head8.data();
    std::int32_t* const prev8 = c.prev8.data();
    std::int32_t* const head3 = c.head3.data();
    bool longChain = false; // the eight-byte chain is kept
    std::size_t longBytes = 0; // bytes in matches of kLong or more since the last decision
    std::size_t decided = begin;

    // The hashes of the positions up to kAhead ahead, each computed once, in a ring.
    constexpr std::size_t kRing = 16;
    static_assert(kRing > kAhead);
    std::array<std::uint32_t, kRing> ring4{}, ring8{}, ring3{};
    auto hash = [&](std::size_t q) {
        const std::size_t slot = q % kRing;
        ring8[slot] = kNoHash;
        if (q + 8 <= size) [[likely]] {
            const std::uint64_t w = load64(data + q);
            const auto v = static_cast<std::uint32_t>(w);
            ring4[slot] = hash4(v);
            ring3[slot] = hash3(v);
            __builtin_prefetch(&head4[ring4[slot]]);
            __builtin_prefetch(&head3[ring3[slot]]);
            if (longChain) {
                ring8[slot] = hash8(w);
                __builtin_prefetch(&head8[ring8[slot]]);
            }
            return;
        }
        // The last few positions: too few bytes for the longer prefixes.
        ring4[slot] = q + 4 <= size ? hash4(load32(data + q)) : kNoHash;
        ring3[slot] = q + 3 <= size ? hash3(data[q] | (data[q + 1] << 8) | (data[q + 2] << 16)) : kNoHash;
    };
    auto insert = [&](std::size_t q) {
        const std::uint32_t h4 = ring4[q % kRing];
        const std::uint32_t h3 = ring3[q % kRing];
        if (h3 != kNoHash)
            head3[h3] = static_cast<std::int32_t>(q);
        if (h4 != kNoHash) {
            prev4[q & mask] = head4[h4];
            head4[h4] = static_cast<std::int32_t>(q);
        }
        if (const std::uint32_t h8 = ring8[q % kRing]; h8 != kNoHash) {
            prev8[q & mask] = head8[h8];
            head8[h8] = static_cast<std::int32_t>(q);
        }
    };
    // Every position once, in order: the one kAhead further on is hashed, this one joins the tables.
    auto advance = [&](std::size_t q) {
        hash(q + kAhead);
        insert(q);
    };

    // The longest match on one chain that beats `best`, trying `chain` candidates, cut to a
    // quarter once a match of goodLength is in hand. Every position in a chain is older than
    // the one before it, so the walk ends at the first candidate beyond the window (kNone, the
    // end of the chain, is one).
    auto walk = [&](const std::int32_t* prev, std::int32_t cand, std::size_t pos, int limit, int chain, int best,
                    std::uint32_t& distance) {
        const std::uint8_t* here = data + pos;
        for (; chain > 0; --chain) {
            const std::size_t dist = pos - static_cast<std::size_t>(cand);
            if (dist > window)
                break;
            const std::uint8_t* there = data + cand;
            // Cheap rejection: the bytes that would make this match longer must agree.
            if (load16(there + best - 1) == load16(here + best - 1) && load16(there) == load16(here)) {
                const int len = commonLength(there, here, limit);
                if (len > best) {
                    if (best < effort.goodLength && len >= effort.goodLength)
                        chain = chain / 4 + 1;
                    best = len;
                    distance = static_cast<std::uint32_t>(dist);
                    if (len >= effort.niceLength || len >= limit)
                        break;
                }
            }
            cand = prev[static_cast<std::size_t>(cand) & mask];
        }
        return best;
    };

    // Longest match at pos no longer than limit (0 when there is none of kMinMatch): a long one
    // from the eight-byte chain when it is kept, else from the four-byte chain; else the
    // nearest three-byte match, if its bytes really agree.
    auto longest = [&](std::size_t pos, int limit, int chain, std::uint32_t& distance) {
        const std::uint32_t h8 = ring8[pos % kRing];
        if (h8 != kNoHash && limit >= kLong) {
            if (const int best = walk(prev8, head8[h8], pos, limit, chain, kLong - 1, distance); best >= kLong)
                return best;
            chain = kShortChain; // only shorter matches are left to find
        }
        const std::uint32_t h4 = ring4[pos % kRing];
        if (h4 != kNoHash && limit >= 4) {
            if (const int best = walk(prev4, head4[h4], pos, limit, chain, 3, distance); best >= 4)
                return best;
        }
        const std::uint32_t h3 = ring3[pos % kRing];
        if (limit < kMinMatch || h3 == kNoHash)
            return 0;
        const std::size_t dist = pos - static_cast<std::size_t>(head3[h3]);
        if (dist > window)
            return 0;
        const std::uint8_t* here = data + pos;
        const std::uint8_t* there = here - dist;
        // One comparison where four bytes can be read, which photos fail and pass at random.
        const bool same = h4 != kNoHash ? ((load32(there) ^ load32(here)) & 0xFFFFFF) == 0
                                        : there[0] == here[0] && there[1] == here[1] && there[2] == here[2];
        if (!same)
            return 0;
        distance = static_cast<std::uint32_t>(dist);
        return 3;
    };

    Token* const block = c.block.data();
    const std::size_t blockSize = c.block.size();
    std::size_t count = 0;
    auto emit = [&](Token t) {
        block[count++] = t;
        if (count == blockSize) {
            sink(block, count);
            count = 0;
        }
    };

    // Matches may reach into the bytes before this piece: index the window that precedes it.
    const std::size_t first = begin > window ? begin - window : 0;
    for (std::size_t q = first; q < first + kAhead; ++q)
        hash(q);
    for (std::size_t p = first; p < begin; ++p)
        advance(p);

    // The match found at pos - 1 and not yet emitted, waiting to see whether pos does better.
    bool pending = false;
    int pendingLen = 0;
    std::uint32_t pendingDist = 0;
    std::size_t pos = begin;
    while (pos < end) {
        if (pos - decided >= kProbe) {
            longChain = longBytes * kLongShare > pos - decided;
            longBytes = 0;
            decided = pos;
        }
        const int limit = static_cast<int>(std::min<std::size_t>(kMaxMatch, end - pos));
        int len = 0;
        std::uint32_t dist = 0;
        if (!pending || pendingLen < (longChain ? effort.longLazyLimit : effort.lazyLimit)) {
            // Looking past a good match already in hand is worth less effort.
            const int chain = pending && pendingLen >= effort.goodLength ? effort.maxChain / 4 + 1 : effort.maxChain;
            len = longest(pos, limit, chain, dist);
        }
        advance(pos);
        if (pending && pendingLen >= kMinMatch && len <= pendingLen) {
            emit(matchToken(pendingLen, pendingDist));
            longBytes += pendingLen >= kLong ? static_cast<std::size_t>(pendingLen) : 0;
            const std::size_t stop = pos - 1 + static_cast<std::size_t>(pendingLen);
            for (std::size_t p = pos + 1; p < stop; ++p)
                advance(p);
            pos = stop;
            pending = false;
            continue;
        }
        if (pending)
            emit(literalToken(data[pos - 1]));
        pending = true;
        pendingLen = len;
        pendingDist = dist;
        ++pos;
    }
    if (pending)
        emit(literalToken(data[pos - 1]));
    if (count > 0)
        sink(block, count);
}

void tokenise(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, int windowBits,
              const MatchEffort& effort, std::vector<Token>& out)
{
    MatchFinder(windowBits).tokenise(data, begin, end, effort, 1 << 16,
                                     [&](const Token* t, std::size_t n) { out.insert(out.end(), t, t + n); });
}

} // namespace unlha
