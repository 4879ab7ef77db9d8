#pragma once
// The bit sink of the -lh5- family: fields go out high bit first, and the stream ends on the
// last byte padded with zero bits, so its length in bytes is exact.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace unlha {

class BitWriter {
public:
    // Appends the low `bits` bits of value (bits <= 56, value < 2^bits): a whole code, its
    // position code and extra bits go out in one step.
    void put(std::uint64_t value, int bits)
    {
        acc_ = (acc_ << bits) | value;
        pending_ += bits;
        if (size_ + 8 > buf_.size())
            grow();
        // Every whole byte goes out at once; at most 7 bits stay behind. (Two shifts: pending_
        // may be 0, and a shift by 64 is undefined.)
        const std::uint64_t out = __builtin_bswap64((acc_ << (63 - pending_)) << 1);
        std::memcpy(buf_.data() + size_, &out, 8);
        size_ += pending_ >> 3;
        pending_ &= 7;
    }

    std::uint64_t bitCount() const { return (size_ * 8) + static_cast<std::uint64_t>(pending_); }

    // The bytes, the last one padded with zeros, left in the writer (ask bitCount() before):
    // nothing may follow but clear().
    std::span<const std::uint8_t> seal();
    // Empties the writer, keeping its memory for the next stream.
    void clear()
    {
        size_ = 0;
        acc_ = 0;
        pending_ = 0;
    }
    // Pads the last byte with zeros and hands over the bytes.
    std::vector<std::uint8_t> finish();

private:
    void grow() { buf_.resize(buf_.size() * 2 + 4096); }

    std::vector<std::uint8_t> buf_;
    std::size_t size_ = 0;   // whole bytes written
    std::uint64_t acc_ = 0;
    int pending_ = 0;        // bits in the low end of acc_ not yet in a whole byte (0..7)
};

} // namespace unlha
