// Joining bit streams: chunks coded apart are laid end to end without any gap.
#include "unlha32/bit_writer.h"

#include <cstring>
#include <utility>

namespace unlha {

void BitWriter::append(const std::uint8_t* src, std::uint64_t nbits)
{
    // On a byte boundary the whole bytes are copied as they are.
    if (pending_ % 8 == 0 && nbits >= 8) {
        while (pending_ >= 8) {
            pending_ -= 8;
            if (size_ + 1 > buf_.size())
                buf_.resize(buf_.size() * 2 + 4096);
            buf_[size_++] = static_cast<std::uint8_t>(acc_ >> pending_);
        }
        const std::size_t whole = static_cast<std::size_t>(nbits / 8);
        if (size_ + whole > buf_.size())
            buf_.resize(size_ + whole + 4096);
        std::memcpy(buf_.data() + size_, src, whole);
        size_ += whole;
        src += whole;
        nbits -= whole * 8;
    }
    while (nbits >= 32) {
        put((std::uint32_t{src[0]} << 24) | (src[1] << 16) | (src[2] << 8) | src[3], 32);
        src += 4;
        nbits -= 32;
    }
    while (nbits >= 8) {
        put(*src++, 8);
        nbits -= 8;
    }
    if (nbits > 0)
        put(static_cast<std::uint32_t>(*src >> (8 - nbits)), static_cast<int>(nbits));
}

std::vector<std::uint8_t> BitWriter::finish()
{
    // Flush whole bytes, then the last partial one with zero bits below.
    while (pending_ >= 8) {
        pending_ -= 8;
        if (size_ + 1 > buf_.size())
            buf_.resize(buf_.size() * 2 + 4096);
        buf_[size_++] = static_cast<std::uint8_t>(acc_ >> pending_);
    }
    if (pending_ > 0) {
        if (size_ + 1 > buf_.size())
            buf_.resize(size_ + 1);
        buf_[size_++] = static_cast<std::uint8_t>(acc_ << (8 - pending_));
        pending_ = 0;
    }
    buf_.resize(size_);
    size_ = 0;
    acc_ = 0;
    return std::move(buf_);
}

} // namespace unlha
