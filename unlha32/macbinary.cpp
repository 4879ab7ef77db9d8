// The strict check: the fixed zero bytes, a name of 1 to 63 bytes, fork lengths within the old
// 8 MiB limit whose padded sum is exactly the member's size, and either an all-zero tail
// (MacBinary I) or the MacBinary II header CRC.
#include "unlha32/macbinary.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/byteorder.h"

namespace unlha {
namespace {

using platform::be::get16;
using platform::be::get32;

std::uint64_t pad128(std::uint64_t n) { return (n + 127) / 128 * 128; }

// CRC-16/XMODEM, the MacBinary II header check.
std::uint16_t crcXmodem(const std::uint8_t* p, std::size_t n)
{
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= static_cast<std::uint16_t>(p[i] << 8);
        for (int k = 0; k < 8; ++k)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

} // namespace

std::int64_t macBinaryDataFork(std::span<const std::uint8_t> h, std::uint64_t total)
{
    if (h.size() < kMacBinaryHeader || h[0] != 0 || h[74] != 0 || h[82] != 0)
        return -1;
    const std::uint8_t nameLen = h[1];
    if (nameLen == 0 || nameLen > 63 || std::find(h.begin() + 2, h.begin() + 2 + nameLen, 0) != h.begin() + 2 + nameLen)
        return -1;
    const std::uint32_t data = get32(&h[83]);
    const std::uint32_t rsrc = get32(&h[87]);
    if (data > 0x7FFFFF || rsrc > 0x7FFFFF)
        return -1;
    const std::uint64_t body = total - kMacBinaryHeader;
    const bool sizeFits = body == pad128(data) + pad128(rsrc) || body == pad128(data) + rsrc
                          || (rsrc == 0 && body == data);
    if (!sizeFits)
        return -1;
    const bool tailZero = std::all_of(h.begin() + 101, h.begin() + 126, [](std::uint8_t b) { return b == 0; });
    const bool version2 = h[123] >= 129 && crcXmodem(h.data(), 124) == get16(&h[124]);
    return tailZero || version2 ? static_cast<std::int64_t>(data) : -1;
}

Consumer unwrapMacBinary(Consumer inner, std::uint64_t total)
{
    if (total < kMacBinaryHeader)
        return inner;
    struct State {
        Consumer inner;
        std::uint64_t total;
        std::vector<std::uint8_t> head;
        bool decided = false;
        std::uint64_t seen = 0;     // member bytes past the header
        std::int64_t keep = -1;     // data-fork bytes to pass on; -1: pass everything
    };
    auto st = std::make_shared<State>(State{std::move(inner), total, {}, false, 0, -1});
    return [st](const std::uint8_t* data, std::size_t size) {
        if (!st->decided) {
            const std::size_t take = std::min(size, kMacBinaryHeader - st->head.size());
            st->head.insert(st->head.end(), data, data + take);
            data += take;
            size -= take;
            if (st->head.size() < kMacBinaryHeader)
                return true;
            st->decided = true;
            st->keep = macBinaryDataFork(st->head, st->total);
            if (st->keep < 0 && !st->inner(st->head.data(), st->head.size()))
                return false;
        }
        if (st->keep < 0)
            return size == 0 || st->inner(data, size);
        const std::uint64_t left = static_cast<std::uint64_t>(st->keep) > st->seen ? st->keep - st->seen : 0;
        const std::size_t pass = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
        st->seen += size;
        return pass == 0 || st->inner(data, pass);
    };
}

} // namespace unlha
