#include "fixture_builder.h"

#include "unlha32/crc16.h"

namespace unlha::test {

Bytes le16(unsigned v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
Bytes le32(std::uint32_t v)
{
    Bytes b = le16(v & 0xFFFF);
    const Bytes hi = le16(v >> 16);
    b.insert(b.end(), hi.begin(), hi.end());
    return b;
}
Bytes le64(std::uint64_t v)
{
    Bytes b = le32(static_cast<std::uint32_t>(v));
    const Bytes hi = le32(static_cast<std::uint32_t>(v >> 32));
    b.insert(b.end(), hi.begin(), hi.end());
    return b;
}

namespace {

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

std::uint16_t crcOf(const Bytes& data) { return crc16(data.data(), data.size()); }

// Fills in the level-0/1 header length and checksum over the base header.
void sealBaseHeader(Bytes& h)
{
    h[0] = static_cast<std::uint8_t>(h.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h.size(); ++i)
        sum += h[i];
    h[1] = static_cast<std::uint8_t>(sum);
}

Bytes fixedStart(const char* method, std::uint32_t packed, std::uint32_t original, std::uint8_t attribute, int level)
{
    Bytes h{0, 0};
    h.insert(h.end(), method, method + 5);
    append(h, le32(packed));
    append(h, le32(original));
    append(h, {0x83, 0x18, 0x22, 0x58}); // 2024-01-02 03:04:06 as an MS-DOS stamp
    h.push_back(attribute);
    h.push_back(static_cast<std::uint8_t>(level));
    return h;
}

} // namespace

Bytes level0Stored(const std::string& rawPath, const Bytes& data, const Bytes& extension, const char* method)
{
    const auto size = static_cast<std::uint32_t>(data.size());
    Bytes h = fixedStart(method, size, size, 0x20, 0);
    h.push_back(static_cast<std::uint8_t>(rawPath.size()));
    h.insert(h.end(), rawPath.begin(), rawPath.end());
    append(h, le16(crcOf(data)));
    append(h, extension);
    sealBaseHeader(h);
    append(h, data);
    return h;
}

Bytes level1Stored(const std::string& rawName, const Bytes& data, char os, const std::vector<Bytes>& extensions,
                   const char* method)
{
    Bytes chain;
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        append(chain, extensions[i]);
        append(chain, le16(i + 1 < extensions.size() ? static_cast<unsigned>(extensions[i + 1].size() + 2) : 0));
    }
    const auto size = static_cast<std::uint32_t>(data.size());
    Bytes h = fixedStart(method, static_cast<std::uint32_t>(size + chain.size()), size, 0x20, 1);
    h.push_back(static_cast<std::uint8_t>(rawName.size()));
    h.insert(h.end(), rawName.begin(), rawName.end());
    append(h, le16(crcOf(data)));
    h.push_back(static_cast<std::uint8_t>(os));
    append(h, le16(extensions.empty() ? 0 : static_cast<unsigned>(extensions[0].size() + 2)));
    sealBaseHeader(h);
    append(h, chain);
    append(h, data);
    return h;
}

Bytes level2Member(const Level2& m)
{
    std::vector<Bytes> ext{{0x00, 0, 0}};
    Bytes name{0x01};
    name.insert(name.end(), m.name.begin(), m.name.end());
    ext.push_back(name);
    if (!m.folder.empty()) {
        Bytes folder{0x02};
        folder.insert(folder.end(), m.folder.begin(), m.folder.end());
        ext.push_back(folder);
    }
    ext.insert(ext.end(), m.extensions.begin(), m.extensions.end());
    std::size_t total = 26;
    for (const auto& e : ext)
        total += e.size() + 2;
    if (total % 256 == 0) {
        ext[0].push_back(0);
        ++total;
    }
    const Bytes& payload = m.packedData.empty() ? m.data : m.packedData;
    const auto packed = m.fake32BitSizes ? 0xFFFFFFF0u : static_cast<std::uint32_t>(payload.size());
    const auto original = m.fake32BitSizes ? 0xFFFFFFF0u : static_cast<std::uint32_t>(m.data.size());
    Bytes h = le16(static_cast<unsigned>(m.os968kShortLength ? total - 2 : total));
    h.insert(h.end(), m.method, m.method + 5);
    append(h, le32(packed));
    append(h, le32(original));
    append(h, le32(1704164646));
    h.push_back(0x20);
    h.push_back(2);
    append(h, le16(crcOf(m.data)));
    h.push_back(static_cast<std::uint8_t>(m.os));
    append(h, le16(static_cast<unsigned>(ext[0].size() + 2)));
    for (std::size_t i = 0; i < ext.size(); ++i) {
        append(h, ext[i]);
        append(h, le16(i + 1 < ext.size() ? static_cast<unsigned>(ext[i + 1].size() + 2) : 0));
    }
    const Bytes crc = le16(crcOf(h));
    h[27] = crc[0];
    h[28] = crc[1];
    append(h, payload);
    return h;
}

Bytes archiveOf(const std::vector<Bytes>& members)
{
    Bytes a;
    for (const auto& m : members)
        append(a, m);
    a.push_back(0);
    return a;
}

} // namespace unlha::test
