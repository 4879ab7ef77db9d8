// Hash chains over three-byte prefixes with one-step lazy matching: a match is put off by one
// byte whenever the next position starts a longer one.
#include "unlha32/match_finder.h"

#include <algorithm>
#include <cstring>

namespace unlha {
namespace {

constexpr int kHashBits = 16;

class Chains {
public:
    Chains(std::span<const std::uint8_t> data, int windowBits)
        : data_(data.data()), size_(data.size()), window_(std::size_t{1} << windowBits),
          mask_(window_ - 1), head_(std::size_t{1} << kHashBits, -1), prev_(window_, -1)
    {
    }

    void insert(std::size_t pos)
    {
        if (pos + kMinMatch > size_)
            return;
        const std::uint32_t h = hash(pos);
        prev_[pos & mask_] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
    }

    // Longest match for pos no longer than limit; length 0 when there is none of kMinMatch.
    int longest(std::size_t pos, int limit, const MatchEffort& effort, std::uint32_t& distance) const
    {
        if (limit < kMinMatch || pos + kMinMatch > size_)
            return 0;
        const std::uint8_t* here = data_ + pos;
        int best = kMinMatch - 1;
        std::int32_t cand = head_[hash(pos)];
        // Every position in a chain is older than the one before it, so the walk ends at the
        // first candidate beyond the window (or at -1, the end of the chain).
        for (int chain = effort.maxChain; cand >= 0 && chain > 0; --chain) {
            const std::size_t dist = pos - static_cast<std::size_t>(cand);
            if (dist > window_)
                break;
            const std::uint8_t* there = data_ + cand;
            // Cheap rejection: the byte that would make this match longer must agree.
            if (load16(there + best - 1) == load16(here + best - 1) && load16(there) == load16(here)) {
                const int len = commonLength(there, here, limit);
                if (len > best) {
                    best = len;
                    distance = static_cast<std::uint32_t>(dist);
                    if (len >= effort.niceLength || len >= limit)
                        break;
                }
            }
            cand = prev_[static_cast<std::size_t>(cand) & mask_];
        }
        return best >= kMinMatch ? best : 0;
    }

private:
    static std::uint16_t load16(const std::uint8_t* p)
    {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }

    std::uint32_t hash(std::size_t pos) const
    {
        std::uint32_t v;
        if (pos + 4 <= size_) {
            std::memcpy(&v, data_ + pos, 4);
            v &= 0xFFFFFF; // little-endian: the first three bytes
        } else {
            v = data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16);
        }
        return (v * 2654435761u) >> (32 - kHashBits);
    }

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
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
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
        int len = 0;
        std::uint32_t dist = 0;
        if (!pending || pendingLen < effort.lazyLimit)
            len = chains.longest(pos, limitAt(pos), effort, dist);
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
