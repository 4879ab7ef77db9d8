#include "platform/bmpread.h"

#include "platform/bmpheader.h"
#include "platform/bmprle.h"
#include "platform/byteorder.h"

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::bmp {
namespace {

using Bytes = const unsigned char*;

using le::get16;
using le::get32;

// One channel of a bit-field pixel: where it sits and how to widen it to 0-255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;

    static std::optional<Channel> of(std::uint32_t mask)
    {
        Channel c;
        c.mask = mask;
        if (mask == 0)
            return c;
        c.shift = std::countr_zero(mask);
        const std::uint64_t bits = mask >> c.shift;
        if ((bits & (bits + 1)) != 0)
            return std::nullopt; // the bits of a channel must be contiguous
        c.max = bits;
        return c;
    }
    int value(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return int((v * 255 + max / 2) / max);
    }
};

struct Layout {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t pixelOffset = 0;
    std::uint32_t masks[4] = {};
    bool hasAlpha = false;
    std::size_t paletteStart = 0, paletteEntry = 4, paletteCount = 0;
};

std::optional<Layout> parse(const QByteArray& bytes)
{
    const auto b = reinterpret_cast<Bytes>(bytes.constData());
    const auto size = std::size_t(bytes.size());
    const auto h = size < 26 ? std::nullopt : readHeader(b, size);
    if (!h)
        return std::nullopt;
    Layout l;
    l.pixelOffset = h->pixelOffset;
    l.headerSize = h->infoSize;
    if (size < kFileHeaderSize + std::size_t(std::min<std::uint32_t>(l.headerSize, 1024)))
        return std::nullopt; // a header cut short
    if (l.headerSize == kCoreInfoSize) { // OS/2 1.x: 3-byte palette entries
        l.paletteEntry = 3;
    } else if (l.headerSize == 40 || l.headerSize == 52 || l.headerSize == 56 || l.headerSize == 108
               || l.headerSize == 124 || l.headerSize == 64 || l.headerSize == 16) {
        // OS/2 2.x numbers its compressions differently from 3 on: 3 there is Huffman coding.
        if ((l.headerSize == 64 || l.headerSize == 16) && h->compression != kRgb && h->compression != kRle8
            && h->compression != kRle4)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    l.width = h->width;
    l.topDown = h->height < 0;
    l.height = h->height < 0 ? -h->height : h->height;
    l.bits = h->bits;
    l.compression = h->compression;
    l.paletteCount = h->coloursUsed;
    if (l.width <= 0 || l.height <= 0)
        return std::nullopt;
    const bool fields = l.compression == kBitFields || l.compression == kAlphaBitFields;
    const bool runLength = (l.compression == kRle8 && l.bits == 8) || (l.compression == kRle4 && l.bits == 4);
    if (!(l.compression == kRgb || runLength || (fields && (l.bits == 16 || l.bits == 32))))
        return std::nullopt; // 24-bit run-length, JPEG and PNG bitmaps are Qt's
    if (!(l.bits == 1 || l.bits == 2 || l.bits == 4 || l.bits == 8 || l.bits == 16 || l.bits == 32))
        return std::nullopt; // 24-bit is Qt's; other counts are refused before this

    std::size_t afterHeader = kFileHeaderSize + l.headerSize;
    if (fields) {
        // The masks follow a 40-byte header, or are part of a longer one.
        const std::size_t count = l.compression == kAlphaBitFields ? 4 : 3;
        if (size < kMasks + 4 * count)
            return std::nullopt;
        for (std::size_t i = 0; i < count; ++i)
            l.masks[i] = get32(b + kMasks + 4 * i);
        if (l.headerSize >= 56)
            l.masks[3] = get32(b + kMasks + 12);
        if (l.headerSize == 40)
            afterHeader += 4 * count;
    } else if (l.bits == 16) {
        l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
    } else if (l.bits == 32) {
        l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
    }
    l.hasAlpha = l.masks[3] != 0;

    if (l.bits > 8) {
        l.paletteCount = 0; // a palette beside direct colours is only a hint for old displays
    } else {
        const std::size_t full = std::size_t(1) << l.bits;
        if (l.paletteCount == 0 || l.paletteCount > full)
            l.paletteCount = full;
        l.paletteStart = afterHeader;
        // A palette ends where the pixels begin, even when the header promised more entries.
        if (l.pixelOffset > l.paletteStart)
            l.paletteCount = std::min<std::size_t>(l.paletteCount, (l.pixelOffset - l.paletteStart) / l.paletteEntry);
        l.paletteCount = std::min<std::size_t>(l.paletteCount, (size - std::min(size, l.paletteStart)) / l.paletteEntry);
    }
    if (l.pixelOffset < afterHeader)
        l.pixelOffset = std::uint32_t(afterHeader + l.paletteCount * l.paletteEntry);
    return l;
}

} // namespace

bool readsItself(const QByteArray& bytes, QSize* size)
{
    const auto l = parse(bytes);
    if (l && size)
        *size = QSize(int(std::min<std::int64_t>(l->width, INT32_MAX)), int(std::min<std::int64_t>(l->height, INT32_MAX)));
    return l.has_value();
}

QImage read(const QByteArray& bytes, QString* problem)
{
    const auto l = parse(bytes);
    if (!l) {
        *problem = QStringLiteral("ビットマップとして読み込めません");
        return {};
    }
    const auto b = reinterpret_cast<Bytes>(bytes.constData());
    const auto size = std::size_t(bytes.size());
    const bool runLength = l->compression == kRle8 || l->compression == kRle4;
    if (runLength && l->topDown) {
        *problem = QStringLiteral("上下逆に並べたランレングス圧縮のビットマップは、形式にない不正なファイルです");
        return {};
    }
    const std::size_t stride = ((std::size_t(l->width) * std::size_t(l->bits) + 31) / 32) * 4;
    if (l->pixelOffset > size || (!runLength && stride > (size - l->pixelOffset) / std::size_t(l->height))) {
        *problem = QStringLiteral("ファイルが途中で切れています");
        return {};
    }
    std::optional<Channel> channels[4];
    for (int i = 0; i < 4; ++i)
        channels[i] = Channel::of(l->masks[i]);
    if (!channels[0] || !channels[1] || !channels[2] || !channels[3]) {
        *problem = QStringLiteral("ビットフィールドの色の指定が正しくありません");
        return {};
    }
    // Indexes past a short palette come out black.
    std::vector<QRgb> palette(std::size_t(1) << std::min(l->bits, 8), qRgb(0, 0, 0));
    for (std::size_t i = 0; i < l->paletteCount; ++i) {
        const Bytes e = b + l->paletteStart + i * l->paletteEntry;
        palette[i] = qRgb(e[2], e[1], e[0]);
    }

    QImage picture(int(l->width), int(l->height), l->hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (picture.isNull()) {
        *problem = QStringLiteral("画像を読み込むメモリが足りません");
        return {};
    }
    if (runLength) {
        // Pixels the data leaves undrawn (a jump, a row or the picture ended early) are black,
        // as are indexes past the palette: the same file gives the same picture every time.
        const std::vector<std::int16_t> indices
            = decodeRle(b + l->pixelOffset, size - l->pixelOffset, l->bits, int(l->width), int(l->height));
        for (std::int64_t r = 0; r < l->height; ++r) {
            auto* out = reinterpret_cast<QRgb*>(picture.scanLine(int(l->height - 1 - r)));
            for (std::int64_t x = 0; x < l->width; ++x) {
                const std::int16_t index = indices[std::size_t(r * l->width + x)];
                out[x] = index == kMissing ? qRgb(0, 0, 0) : palette[std::size_t(index)];
            }
        }
        return picture;
    }
    for (std::int64_t r = 0; r < l->height; ++r) {
        const Bytes row = b + l->pixelOffset + std::size_t(r) * stride;
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(int(l->topDown ? r : l->height - 1 - r)));
        for (std::int64_t x = 0; x < l->width; ++x) {
            if (l->bits <= 8) {
                const std::size_t bit = std::size_t(x) * std::size_t(l->bits);
                const unsigned index = (row[bit / 8] >> (8 - l->bits - bit % 8)) & ((1u << l->bits) - 1);
                out[x] = palette[index];
                continue;
            }
            const std::uint32_t pixel = l->bits == 16 ? get16(row + 2 * x) : get32(row + 4 * x);
            out[x] = qRgba(channels[0]->value(pixel), channels[1]->value(pixel), channels[2]->value(pixel),
                l->hasAlpha ? channels[3]->value(pixel) : 255);
        }
    }
    return picture;
}

} // namespace platform::bmp
