#pragma once
// Code lengths and canonical codes for the static Huffman tables of the -lh5- family, where no
// code may be longer than 16 bits and every table must be a complete code.

#include <cstdint>
#include <span>
#include <vector>

namespace unlha {

// Lengths of an optimal prefix code for freq, none longer than maxLen; unused symbols get 0.
// With two or more used symbols the code is complete. A single used symbol gets length 1 and
// none gets nothing: the caller decides how to send such a table.
std::vector<std::uint8_t> huffmanLengths(std::span<const std::uint32_t> freq, int maxLen);

// Canonical codes for the lengths: shorter codes first, equal lengths in symbol order.
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);

} // namespace unlha
