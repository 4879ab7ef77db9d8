// Level-2 header: fixed fields, then the extended headers 0x00 (header CRC) and 0x01 (name).
// Attribute byte 0x20 and OS id 'M' are what Windows archivers write and every reader accepts.
#include "unlha32/header_writer.h"

#include <stdexcept>

#include "unlha32/crc16.h"

namespace unlha {
namespace {

void put16(std::vector<std::uint8_t>& h, std::size_t at, std::uint32_t v)
{
    h[at] = static_cast<std::uint8_t>(v);
    h[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::vector<std::uint8_t>& h, std::size_t at, std::uint32_t v)
{
    put16(h, at, v);
    put16(h, at + 2, v >> 16);
}

} // namespace

std::vector<std::uint8_t> level2Header(const NewMember& m)
{
    if (m.name.size() > kMaxNameLength)
        throw std::length_error("name too long for an LHA header");
    const std::size_t nameExt = 3 + m.name.size(); // type, name, next size
    std::size_t crcExt = 5;                         // type, CRC, next size
    std::size_t total = 26 + crcExt + nameExt;
    if (total % 256 == 0) {
        ++crcExt; // one spare byte inside the CRC header
        ++total;
    }
    std::vector<std::uint8_t> h(total, 0);
    put16(h, 0, static_cast<std::uint32_t>(total));
    for (int i = 0; i < 5; ++i)
        h[2 + i] = static_cast<std::uint8_t>(m.method[i]);
    put32(h, 7, m.packed);
    put32(h, 11, m.original);
    put32(h, 15, m.mtime);
    h[19] = 0x20;
    h[20] = 2;
    put16(h, 21, m.crc);
    h[23] = 'M';
    put16(h, 24, static_cast<std::uint32_t>(crcExt));
    std::size_t at = 26;
    h[at] = 0x00; // CRC filled in below
    put16(h, at + crcExt - 2, static_cast<std::uint32_t>(nameExt));
    at += crcExt;
    h[at] = 0x01;
    for (std::size_t i = 0; i < m.name.size(); ++i)
        h[at + 1 + i] = static_cast<std::uint8_t>(m.name[i]);
    put16(h, at + nameExt - 2, 0);
    put16(h, 27, crc16(h.data(), h.size()));
    return h;
}

} // namespace unlha
