#pragma once
// CRC-16 as LHA has used it since its first releases (the "ARC" CRC: reflected 0x8005, start 0),
// for member data and for the level-2 header check alike.

#include <cstddef>
#include <cstdint>

namespace unlha {

// Continues crc over size bytes; start a new sum with crc = 0.
std::uint16_t crc16(const void* data, std::size_t size, std::uint16_t crc = 0) noexcept;

// The sum of two pieces end to end from the sums of each (both started at 0), so that pieces
// summed on different threads make the sum of the whole.
std::uint16_t crc16Combine(std::uint16_t first, std::uint16_t second, std::uint64_t secondSize) noexcept;

} // namespace unlha
