#pragma once
// Multi-byte fields as files store them: little-endian in bitmap, GIF and LHA headers,
// big-endian in PNG chunks, JPEG segments and MacBinary headers.

#include <cstdint>

namespace platform::le {

constexpr std::uint32_t get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
constexpr std::uint32_t get32(const std::uint8_t* p) { return get16(p) | (get16(p + 2) << 16); }
constexpr std::uint64_t get64(const std::uint8_t* p) { return get32(p) | (std::uint64_t{get32(p + 4)} << 32); }

constexpr void put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void put32(std::uint8_t* p, std::uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}
constexpr void put64(std::uint8_t* p, std::uint64_t v)
{
    put32(p, static_cast<std::uint32_t>(v));
    put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

} // namespace platform::le

namespace platform::be {

constexpr std::uint32_t get16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
constexpr std::uint32_t get32(const std::uint8_t* p) { return (get16(p) << 16) | get16(p + 2); }

} // namespace platform::be
