#pragma once
// The LZSS half of the -lh5- family: turns bytes into literals and (length, distance) matches
// within a sliding window, the way LHA has done since the -lh5- method appeared in LHA 2.x.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace unlha {

// One token: bits 0-8 the C symbol (0-255 literal, 256 + length - 3 for a match); for a match
// bits 9-13 the P symbol (the bit length of the distance minus one) and 14-29 the distance minus
// one, so that the block coder finds the symbol without working it out again.
using Token = std::uint32_t;

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;

// Bits in v: 0 for 0. No branch: on photos literals and matches alternate unpredictably.
inline int bitLength(std::uint32_t v) { return 63 - __builtin_clzll((std::uint64_t{v} << 1) | 1); }

inline Token literalToken(std::uint8_t byte) { return byte; }
inline Token matchToken(int length, std::uint32_t distance)
{
    const std::uint32_t p = distance - 1;
    return static_cast<Token>(256 + length - kMinMatch) | (static_cast<std::uint32_t>(bitLength(p)) << 9) | (p << 14);
}
inline unsigned tokenSymbol(Token t) { return t & 0x1FF; }
inline unsigned tokenPositionSymbol(Token t) { return (t >> 9) & 31; }
inline std::uint32_t tokenPosition(Token t) { return t >> 14; }

// Search effort. The defaults give output no larger than LHA's own (within a percent on photos,
// smaller on flat-toned pictures such as sepia prints) at several times its speed.
struct MatchEffort {
    int maxChain = 512;   // four-byte candidates tried per position
    int goodLength = 32;  // with a match this long in hand, a quarter of that is enough
    int niceLength = 128; // stop looking once a match is this long
    int lazyLimit = 64;   // a match this long is taken without looking one byte ahead
    // The same where long matches abound: there the look ahead rarely finds better, and pictures
    // come out no larger (text some 0.7 % larger) in three quarters of the time.
    int longLazyLimit = 8;
};

// Receives the tokens in order, a block at a time.
using TokenSink = std::function<void(const Token* tokens, std::size_t count)>;

// The search tables of one thread, kept from one piece of input to the next.
class MatchFinder {
public:
    explicit MatchFinder(int windowBits);
    ~MatchFinder();
    MatchFinder(const MatchFinder&) = delete;
    MatchFinder& operator=(const MatchFinder&) = delete;

    // Tokenises data[begin, end) and hands the tokens to sink, blockTokens at a time (the last
    // block fewer). Matches may reach back before begin (never before data[0], never further
    // than the window) but never past end. The tokens depend only on the bytes, never on what
    // the finder saw before.
    void tokenise(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, const MatchEffort& effort,
                  std::size_t blockTokens, const TokenSink& sink);

private:
    struct Chains;
    std::unique_ptr<Chains> chains_;
};

// One finder for one piece: the tokens of data[begin, end) into out.
void tokenise(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, int windowBits,
              const MatchEffort& effort, std::vector<Token>& out);

} // namespace unlha
