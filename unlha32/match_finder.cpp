// Hash chains over four-byte prefixes for the longer matches, the nearest three-byte match from
// a table of its own, and one-step lazy matching: a match is put off by one byte whenever the
// next position starts a longer one.
#include "unlha32/match_finder.h"

#include <algorithm>
#include <cstring>

namespace unlha {
namespace {

constexpr int kHashBits = 16;  // heads of the four-byte chains
constexpr int kHash3Bits = 18; // last position of each three-byte prefix; few collisions

class Chains {
public:
    Chains(std::span<const std::uint8_t> data, int windowBits)
        : data_(data.data()), size_(data.size()), window_(std::size_t{1} << windowBits),
          mask_(window_ - 1), head4_(std::size_t{1} << kHashBits, -1), prev4_(window_, -1),
          head3_(std::size_t{1} << kHash3Bits, -1)
    {
    }

    void insert(std::size_t pos)
    {
        if (pos + 4 > size_) {
            if (pos + 3 <= size_)
                head3_[hash3(load24(pos))] = static_cast<std::int32_t>(pos);
            return;
        }
        const std::uint32_t v = load32(pos);
        head3_[hash3(v & 0xFFFFFF)] = static_cast<std::int32_t>(pos);
        const std::uint32_t h = hash4(v);
        prev4_[pos & mask_] = head4_[h];
        head4_[h] = static_cast<std::int32_t>(pos);
    }

    // Asks for the table slots of a position about to be looked at: the tables are larger than
    // the first-level cache, and on photos the lookups, not the comparisons, are the cost.
    void prefetch(std::size_t pos) const
    {
        if (pos + 4 > size_)
            return;
        const std::uint32_t v = load32(pos);
        __builtin_prefetch(&head4_[hash4(v)]);
        __builtin_prefetch(&head3_[hash3(v & 0xFFFFFF)]);
    }

    // Longest match for pos no longer than limit; 0 when there is none of kMinMatch. `chain` is
    // the number of four-byte candidates to try, cut to a quarter once a match of goodLength is
    // in hand.
    int longest(std::size_t pos, int limit, int chain, const MatchEffort& effort, std::uint32_t& distance) const
    {
        if (limit < kMinMatch || pos + kMinMatch > size_)
            return 0;
        const std::uint8_t* here = data_ + pos;
        if (limit >= 4 && pos + 4 <= size_) {
            int best = 3;
            // Every position in a chain is older than the one before it, so the walk ends at the
            // first candidate beyond the window (or at -1, the end of the chain).
            for (std::int32_t cand = head4_[hash4(load32(pos))]; cand >= 0 && chain > 0; --chain) {
                const std::size_t dist = pos - static_cast<std::size_t>(cand);
                if (dist > window_)
                    break;
                const std::uint8_t* there = data_ + cand;
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
                cand = prev4_[static_cast<std::size_t>(cand) & mask_];
            }
            if (best >= 4)
                return best;
        }
        // No four-byte match: the nearest three-byte one, if its bytes really agree.
        const std::int32_t cand = head3_[hash3(load24(pos))];
        if (cand < 0 || pos - static_cast<std::size_t>(cand) > window_)
            return 0;
        const std::uint8_t* there = data_ + cand;
        if (there[0] != here[0] || there[1] != here[1] || there[2] != here[2])
            return 0;
        distance = static_cast<std::uint32_t>(pos - static_cast<std::size_t>(cand));
        return 3;
    }

private:
    static std::uint16_t load16(const std::uint8_t* p)
    {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    std::uint32_t load32(std::size_t pos) const
    {
        std::uint32_t v;
        std::memcpy(&v, data_ + pos, 4);
        return v;
    }
    std::uint32_t load24(std::size_t pos) const
    {
        return data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16);
    }
    // Any mix of the bytes serves: candidates are always checked byte by byte.
    static std::uint32_t hash4(std::uint32_t v) { return (v * 2654435761u) >> (32 - kHashBits); }
    static std::uint32_t hash3(std::uint32_t v) { return (v * 2654435761u) >> (32 - kHash3Bits); }

    static int commonLength(const std::uint8_t* a, const std::uint8_t* b, int limit)
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

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t window_;
    std::size_t mask_;
    std::vector<std::int32_t> head4_;
    std::vector<std::int32_t> prev4_;
    std::vector<std::int32_t> head3_;
};

} // namespace

void tokenise(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, int windowBits,
              const MatchEffort& effort, std::vector<Token>& out)
{
    Chains chains(data, windowBits);
    out.reserve(out.size() + (end - begin));
    // Matches may reach into the bytes before this chunk: index the window that precedes it.
    const std::size_t window = std::size_t{1} << windowBits;
    for (std::size_t p = begin > window ? begin - window : 0; p < begin; ++p)
        chains.insert(p);

    auto limitAt = [&](std::size_t pos) { return static_cast<int>(std::min<std::size_t>(kMaxMatch, end - pos)); };

    // The match found at pos - 1 and not yet emitted, waiting to see whether pos does better.
    bool pending = false;
    int pendingLen = 0;
    std::uint32_t pendingDist = 0;
    std::size_t pos = begin;
    while (pos < end) {
        chains.prefetch(pos + 2);
        int len = 0;
        std::uint32_t dist = 0;
        if (!pending || pendingLen < effort.lazyLimit) {
            // Looking past a good match already in hand is worth less effort.
            const int chain = pending && pendingLen >= effort.goodLength ? effort.maxChain / 4 + 1 : effort.maxChain;
            len = chains.longest(pos, limitAt(pos), chain, effort, dist);
        }
        chains.insert(pos);
        if (pending && pendingLen >= kMinMatch && len <= pendingLen) {
            out.push_back(matchToken(pendingLen, pendingDist));
            const std::size_t stop = pos - 1 + static_cast<std::size_t>(pendingLen);
            for (std::size_t p = pos + 1; p < stop; ++p)
                chains.insert(p);
            pos = stop;
            pending = false;
            continue;
        }
        if (pending)
            out.push_back(literalToken(data[pos - 1]));
        pending = true;
        pendingLen = len;
        pendingDist = dist;
        ++pos;
    }
    if (pending)
        out.push_back(literalToken(data[pos - 1]));
}

} // namespace unlha
