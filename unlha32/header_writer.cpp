// Level-2 header: fixed fields, then the extended headers 0x00 (header CRC), 0x01 (name), for a
// name beyond ASCII in code page 932 0x46 (the code page, so that readers on other systems need
// not guess it), and for a member past 4 GiB 0x42 (64-bit sizes). Attribute byte 0x20 is what
// Windows archivers write and every reader accepts.
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

void put64(std::vector<std::uint8_t>& h, std::size_t at, std::uint64_t v)
{
    put32(h, at, static_cast<std::uint32_t>(v));
    put32(h, at + 4, static_cast<std::uint32_t>(v >> 32));
}

bool beyondAscii(const std::string& name)
{
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

constexpr std::uint32_t kCodePage932 = 932;

} // namespace

std::vector<std::uint8_t> level2Header(const NewMember& m)
{
    if (m.name.size() > kMaxNameLength)
        throw std::length_error("name too long for an LHA header");
    const bool wide = m.packed > UINT32_MAX || m.original > UINT32_MAX;
    const std::size_t nameExt = 3 + m.name.size(); // type, name, next size
    const std::size_t sizeExt = wide ? 19 : 0;      // type, two 64-bit sizes, next size
    const std::size_t pageExt = m.os == 'M' && beyondAscii(m.name) ? 7 : 0; // type, page, next size
    std::size_t crcExt = 5;                         // type, CRC, next size
    std::size_t total = 26 + crcExt + nameExt + pageExt + sizeExt;
    if (total % 256 == 0) {
        ++crcExt; // one spare byte inside the CRC header
        ++total;
    }
    std::vector<std::uint8_t> h(total, 0);
    put16(h, 0, static_cast<std::uint32_t>(total));
    for (int i = 0; i < 5; ++i)
        h[2 + i] = static_cast<std::uint8_t>(m.method[i]);
    put32(h, 7, static_cast<std::uint32_t>(m.packed));
    put32(h, 11, static_cast<std::uint32_t>(m.original));
    put32(h, 15, m.mtime);
    h[19] = 0x20;
    h[20] = 2;
    put16(h, 21, m.crc);
    h[23] = static_cast<std::uint8_t>(m.os);
    put16(h, 24, static_cast<std::uint32_t>(crcExt));
    std::size_t at = 26;
    h[at] = 0x00; // CRC filled in below
    put16(h, at + crcExt - 2, static_cast<std::uint32_t>(nameExt));
    at += crcExt;
    h[at] = 0x01;
    for (std::size_t i = 0; i < m.name.size(); ++i)
        h[at + 1 + i] = static_cast<std::uint8_t>(m.name[i]);
    put16(h, at + nameExt - 2, static_cast<std::uint32_t>(pageExt ? pageExt : sizeExt));
    at += nameExt;
    if (pageExt) {
        h[at] = 0x46;
        put32(h, at + 1, kCodePage932);
        put16(h, at + 5, static_cast<std::uint32_t>(sizeExt));
        at += pageExt;
    }
    if (wide) {
        h[at] = 0x42;
        put64(h, at + 1, m.packed);
        put64(h, at + 9, m.original);
        put16(h, at + 17, 0);
    }
    put16(h, 27, crc16(h.data(), h.size()));
    return h;
}

} // namespace unlha
