#pragma once
// CRC-16 as LHA has used it since its first releases (the "ARC" CRC: reflected 0x8005, start 0),
// for member data and for the level-2 header check alike.

#include <cstddef>
#include <cstdint>

namespace unlha {

// Continues crc over size bytes; start a new sum with crc = 0.
std::uint16_t crc16(const void* data, std::size_t size, std::uint16_t crc = 0) noexcept;

} // namespace unlha
