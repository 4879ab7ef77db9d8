#pragma once
// The bit sink of the -lh5- family: fields go out high bit first, and the stream ends on the
// last byte padded with zero bits, so its length in bytes is exact.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace unlha {

class BitWriter {
public:
    // Appends the low `bits` bits of value (bits <= 32, value < 2^bits).
    void put(std::uint32_t value, int bits)
    {
        acc_ = (acc_ << bits) | value;
        pending_ += bits;
        if (pending_ >= 32) {
            pending_ -= 32;
            emit32(static_cast<std::uint32_t>(acc_ >> pending_));
        }
    }

    // Appends nbits bits taken high bit first from src.
    void append(const std::uint8_t* src, std::uint64_t nbits);

    std::uint64_t bitCount() const { return (size_ * 8) + static_cast<std::uint64_t>(pending_); }

    // Pads the last byte with zeros and hands over the bytes.
    std::vector<std::uint8_t> finish();

private:
    void emit32(std::uint32_t v)
    {
        if (size_ + 4 > buf_.size())
            buf_.resize(buf_.size() * 2 + 4096);
        buf_[size_] = static_cast<std::uint8_t>(v >> 24);
        buf_[size_ + 1] = static_cast<std::uint8_t>(v >> 16);
        buf_[size_ + 2] = static_cast<std::uint8_t>(v >> 8);
        buf_[size_ + 3] = static_cast<std::uint8_t>(v);
        size_ += 4;
    }

    std::vector<std::uint8_t> buf_;
    std::size_t size_ = 0;
    std::uint64_t acc_ = 0;
    int pending_ = 0; // bits in the low end of acc_ not yet in buf_
};

} // namespace unlha
