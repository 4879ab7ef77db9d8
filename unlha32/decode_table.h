#pragma once
// Look-up tables for reading the static Huffman codes of the -lh5- family: the next few bits of
// the stream index a table that names the symbol and its length at once, so most codes take one
// look-up and the rare long ones a second, in a small table of their own (the manner of libdeflate).

#include <cstdint>
#include <vector>

namespace unlha {

class DecodeTable {
public:
    // The table for the canonical code of these lengths (0: symbol unused). False when they are
    // no complete prefix code of at most 16 bits: the readers other tools rely on refuse
    // incomplete and over-full tables, so we do too.
    bool build(const std::uint8_t* lengths, int count, int tableBits);
    // The single-code form: every look-up gives symbol and costs no bits.
    void single(int symbol);

    // What the decoding loop keeps in registers: the built table, read only.
    struct View {
        const std::uint32_t* entries;
        int tableBits;

        // Decodes one symbol from the high end of bits (at least 16 valid bits there) and
        // removes its code from them.
        unsigned decode(std::uint64_t& bits, unsigned& available) const
        {
            std::uint32_t e = entries[bits >> (64 - tableBits)];
            if (e & kSubtable) [[unlikely]]
                e = entries[(e >> 16) + static_cast<std::uint32_t>((bits << tableBits) >> (64 - ((e >> 8) & 31)))];
            const unsigned length = e & 31;
            bits <<= length;
            available -= length;
            return e >> 16;
        }
    };
    View view() const { return {entries_.data(), tableBits_}; }

private:
    // An entry: bits 0-4 the code's length, 16-31 the symbol; with kSubtable set, 16-31 where the
    // subtable starts and 8-12 how many further bits index it.
    static constexpr std::uint32_t kSubtable = 0x8000;

    std::vector<std::uint32_t> entries_;
    int tableBits_ = 1;
};

} // namespace unlha
