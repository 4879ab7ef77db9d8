// The end of a stream: the bits left over fill a last byte, padded with zeros.
#include "unlha32/bit_writer.h"

#include <utility>

namespace unlha {

std::span<const std::uint8_t> BitWriter::seal()
{
    if (pending_ > 0) {
        if (size_ + 1 > buf_.size())
            grow();
        buf_[size_++] = static_cast<std::uint8_t>(acc_ << (8 - pending_));
        pending_ = 0;
    }
    return std::span(buf_).first(size_);
}

std::vector<std::uint8_t> BitWriter::finish()
{
    buf_.resize(seal().size());
    clear();
    return std::move(buf_);
}

} // namespace unlha
