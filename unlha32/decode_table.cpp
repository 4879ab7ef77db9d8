// Canonical codes are handed out shortest first and, within a length, in symbol order; the table
// repeats each short code's entry for every value of the bits that follow it.
#include "unlha32/decode_table.h"

#include <algorithm>
#include <array>

namespace unlha {

bool DecodeTable::build(const std::uint8_t* lengths, int count, int tableBits)
{
    constexpr int kMax = 16;
    std::array<int, kMax + 1> perLength{};
    int maxLength = 0;
    for (int s = 0; s < count; ++s) {
        if (lengths[s] > kMax)
            return false;
        ++perLength[lengths[s]];
        maxLength = std::max<int>(maxLength, lengths[s]);
    }
    std::uint32_t kraft = 0;
    for (int len = 1; len <= kMax; ++len)
        kraft += static_cast<std::uint32_t>(perLength[len]) << (kMax - len);
    if (kraft != (1u << kMax))
        return false;

    // Symbols in code order: by length, then by symbol.
    std::array<int, kMax + 2> start{};
    for (int len = 1; len <= kMax; ++len)
        start[len + 1] = start[len] + perLength[len];
    std::array<std::uint16_t, 1024> sorted;
    for (int s = 0; s < count; ++s)
        if (lengths[s])
            sorted[start[lengths[s]]++] = static_cast<std::uint16_t>(s);

    tableBits_ = std::clamp(maxLength, 1, tableBits);
    const int subBits = maxLength - tableBits_;
    entries_.assign(std::size_t{1} << tableBits_, 0);
    std::uint32_t code = 0;
    int length = 1;
    std::uint32_t lastPrefix = ~0u;
    for (int i = 0; i < start[kMax]; ++i) {
        const unsigned s = sorted[i];
        while (lengths[s] != length) { // the next length: codes continue one bit longer
            code <<= 1;
            ++length;
        }
        if (length <= tableBits_) {
            const std::uint32_t first = code << (tableBits_ - length);
            std::fill_n(entries_.begin() + first, std::size_t{1} << (tableBits_ - length), (s << 16) | length);
        } else {
            const std::uint32_t prefix = code >> (length - tableBits_);
            if (prefix != lastPrefix) {
                entries_[prefix] = (static_cast<std::uint32_t>(entries_.size()) << 16) | kSubtable | (subBits << 8);
                entries_.resize(entries_.size() + (std::size_t{1} << subBits), 0);
                lastPrefix = prefix;
            }
            const std::size_t sub = entries_[prefix] >> 16;
            const std::uint32_t low = (code & ((1u << (length - tableBits_)) - 1)) << (maxLength - length);
            std::fill_n(entries_.begin() + sub + low, std::size_t{1} << (maxLength - length), (s << 16) | length);
        }
        ++code;
    }
    return true;
}

void DecodeTable::single(int symbol)
{
    tableBits_ = 1;
    entries_.assign(2, static_cast<std::uint32_t>(symbol) << 16);
}

} // namespace unlha
