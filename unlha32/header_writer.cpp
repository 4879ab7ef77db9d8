// Level-2 header: fixed fields, then the extended headers 0x00 (header CRC), 0x01 (name), for a
// name beyond ASCII in code page 932 0x46 (the code page, so that readers on other systems need
// not guess it), and for a member past 4 GiB 0x42 (64-bit sizes).
#include "unlha32/header_writer.h"

#include <algorithm>
#include <stdexcept>

#include "platform/byteorder.h"
#include "unlha32/crc16.h"
#include "unlha32/header_layout.h"

namespace unlha {
namespace {

using namespace layout;
using platform::le::put16;
using platform::le::put32;
using platform::le::put64;

bool beyondAscii(const std::string& name)
{
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

constexpr std::uint32_t kCodePage932 = 932;

struct Extension {
    std::uint8_t type;
    std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> le32Bytes(std::uint32_t v)
{
    std::vector<std::uint8_t> b(4);
    put32(b.data(), v);
    return b;
}

} // namespace

std::vector<std::uint8_t> level2Header(const NewMember& m)
{
    if (m.name.size() > kMaxNameLength)
        throw std::length_error("name too long for an LHA header");
    std::vector<Extension> extensions{
        {kHeaderCrc, {0, 0}}, // filled in last
        {kFileName, {m.name.begin(), m.name.end()}},
    };
    if (m.os == 'M' && beyondAscii(m.name))
        extensions.push_back({kCodePage, le32Bytes(kCodePage932)});
    if (m.packed > UINT32_MAX || m.original > UINT32_MAX) {
        std::vector<std::uint8_t> sizes(16);
        put64(&sizes[0], m.packed);
        put64(&sizes[8], m.original);
        extensions.push_back({kWideSizes, std::move(sizes)});
    }
    std::size_t total = level2::kExtensions;
    for (const Extension& e : extensions)
        total += extensionSize(e.data.size());
    // A length that is a multiple of 256 has the low byte 0, which reads as the end of the
    // archive: one spare byte inside the CRC header avoids it (a pad byte after the chain would
    // upset 7-Zip).
    if (total % 256 == 0) {
        extensions.front().data.push_back(0);
        ++total;
    }

    std::vector<std::uint8_t> h(total, 0);
    put16(&h[level2::kLength], static_cast<std::uint32_t>(total));
    std::copy_n(m.method, kMethodLength, &h[kMethod]);
    put32(&h[kPackedSize], static_cast<std::uint32_t>(m.packed));
    put32(&h[kOriginalSize], static_cast<std::uint32_t>(m.original));
    put32(&h[kTime], m.mtime);
    h[kAttribute] = kArchiveAttribute; // what Windows archivers write and every reader accepts
    h[kLevel] = 2;
    put16(&h[level2::kCrc], m.crc);
    h[level2::kOs] = static_cast<std::uint8_t>(m.os);
    put16(&h[level2::kFirstExtensionSize], static_cast<std::uint32_t>(extensionSize(extensions.front().data.size())));
    std::size_t at = level2::kExtensions;
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        const Extension& e = extensions[i];
        h[at] = e.type;
        std::copy(e.data.begin(), e.data.end(), &h[at + 1]);
        at += extensionSize(e.data.size());
        const std::size_t next = i + 1 < extensions.size() ? extensionSize(extensions[i + 1].data.size()) : 0;
        put16(&h[at - level2::kSizeWidth], static_cast<std::uint32_t>(next));
    }
    put16(&h[level2::kExtensions + 1], crc16(h.data(), h.size()));
    return h;
}

} // namespace unlha
