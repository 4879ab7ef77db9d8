#pragma once
// Our reader of -lh5-, -lh6- and -lh7- data (LZSS over an 8, 32 or 64 KiB window with static
// Huffman blocks, LHA 2.x and later). It stops once the header's size is out, fills the window
// with spaces before the first byte as LHA did, and refuses what the strict readers refuse:
// incomplete or over-full tables, counts past their table, empty blocks, data that runs out.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "unlha32/lh_method.h"

namespace unlha {

enum class LhOutcome {
    Ok,         // exactly `original` bytes came out
    Damaged,    // the stream breaks a rule, ends early, or its last match runs past the size
    Stopped,    // the sink refused more
    ReadFailed, // the packed bytes could not all be read
};

// Fills out with up to size packed bytes in order; returns how many (0 once all are given), or
// -1 when they cannot be read.
using PackedSource = std::function<std::ptrdiff_t(std::uint8_t* out, std::size_t size)>;
// Takes decoded bytes in order, in pieces of up to a mebibyte; returns false to stop. It may be
// called on a second thread (never two calls at once); every call has returned when decodeLh does.
using DecodedSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

LhOutcome decodeLh(const LhMethod& method, std::uint64_t original, const PackedSource& source, const DecodedSink& sink);

// The same over packed bytes in memory.
LhOutcome decodeLh(const LhMethod& method, std::span<const std::uint8_t> packed, std::uint64_t original,
                   const DecodedSink& sink);

} // namespace unlha
