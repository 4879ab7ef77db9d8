// Level-2 header: fixed fields, then the extended headers 0x00 (header CRC), 0x01 (name), for a
// name beyond ASCII in code page 932 0x46 (the code page, so that readers on other systems need
// not guess it), and for a member past 4 GiB 0x42 (64-bit sizes). Attribute byte 0x20 is what
// Windows archivers write and every reader accepts.
#include "unlha32/header_writer.h"

#include <stdexcept>

#include "platform/byteorder.h"
#include "unlha32/crc16.h"

namespace unlha {
namespace {

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
    platform::le::put16(&h[0], static_cast<std::uint32_t>(total));
    for (int i = 0; i < 5; ++i)
        h[2 + i] = static_cast<std::uint8_t>(m.method[i]);
    platform::le::put32(&h[7], static_cast<std::uint32_t>(m.packed));
    platform::le::put32(&h[11], static_cast<std::uint32_t>(m.original));
    platform::le::put32(&h[15], m.mtime);
    h[19] = 0x20;
    h[20] = 2;
    platform::le::put16(&h[21], m.crc);
    h[23] = static_cast<std::uint8_t>(m.os);
    platform::le::put16(&h[24], static_cast<std::uint32_t>(crcExt));
    std::size_t at = 26;
    h[at] = 0x00; // CRC filled in below
    platform::le::put16(&h[at + crcExt - 2], static_cast<std::uint32_t>(nameExt));
    at += crcExt;
    h[at] = 0x01;
    for (std::size_t i = 0; i < m.name.size(); ++i)
        h[at + 1 + i] = static_cast<std::uint8_t>(m.name[i]);
    platform::le::put16(&h[at + nameExt - 2], static_cast<std::uint32_t>(pageExt ? pageExt : sizeExt));
    at += nameExt;
    if (pageExt) {
        h[at] = 0x46;
        platform::le::put32(&h[at + 1], kCodePage932);
        platform::le::put16(&h[at + 5], static_cast<std::uint32_t>(sizeExt));
        at += pageExt;
    }
    if (wide) {
        h[at] = 0x42;
        platform::le::put64(&h[at + 1], m.packed);
        platform::le::put64(&h[at + 9], m.original);
        platform::le::put16(&h[at + 17], 0);
    }
    platform::le::put16(&h[27], crc16(h.data(), h.size()));
    return h;
}

} // namespace unlha
