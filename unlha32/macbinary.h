#pragma once
// MacLHA may store a classic Mac OS file wrapped in MacBinary: a 128-byte header, the data fork
// padded to 128 bytes, then the resource fork. There is no magic number, so the header is
// believed only when every field checks out; then only the data fork is extracted.

#include <cstdint>
#include <span>

#include "unlha32/member_decoder.h"

namespace unlha {

constexpr std::size_t kMacBinaryHeader = 128;

// The data fork's length when header (the first 128 bytes of a member of `total` bytes) is a
// MacBinary header; -1 when it is not.
std::int64_t macBinaryDataFork(std::span<const std::uint8_t> header, std::uint64_t total);

// A consumer that passes on only the data fork when the member turns out MacBinary-wrapped, and
// everything unchanged otherwise.
Consumer unwrapMacBinary(Consumer inner, std::uint64_t total);

} // namespace unlha
