#include "platform/picturecheck.h"

#include "platform/bmpheader.h"
#include "platform/byteorder.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {
namespace {

using Bytes = const unsigned char*;

using le::get16;

const QString kTruncated = QStringLiteral("ファイルが途中で切れています");
const QString kDamaged = QStringLiteral("ファイルが壊れています (画像のデータが欠けているか、正しくありません)");

QString checkBmp(Bytes b, qsizetype size)
{
    if (size < 30)
        return kTruncated;
    const auto h = bmp::readHeader(b, std::size_t(size));
    if (!h || h->infoSize < bmp::kWindowsInfoSize || size < 34)
        return {};
    const int bits = h->bits;
    if (h->compression != bmp::kRgb && h->compression != bmp::kBitFields)
        return {}; // run-length data has no fixed size
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return QStringLiteral("ビットマップの色のビット数 %1 は正しくありません (1, 2, 4, 8, 16, 24, 32 のどれかです)").arg(bits);
    if (h->width <= 0 || h->height == 0)
        return {};
    // In 64 bits, and rows * stride compared by division: neither can overflow.
    const std::uint64_t rows = h->height < 0 ? std::uint64_t(-h->height) : std::uint64_t(h->height);
    const std::uint64_t stride = ((std::uint64_t(h->width) * std::uint64_t(bits) + 31) / 32) * 4;
    const auto have = static_cast<std::uint64_t>(size);
    if (h->pixelOffset > have || stride > (have - h->pixelOffset) / rows)
        return kTruncated;
    return {};
}

// Walks marker segments and entropy-coded data up to the end-of-image marker.
QString checkJpeg(Bytes b, qsizetype size)
{
    qsizetype i = 2;
    while (i + 1 < size) {
        if (b[i] != 0xFF) { // entropy-coded data
            const void* next = std::memchr(b + i, 0xFF, static_cast<std::size_t>(size - i));
            if (!next)
                break;
            i = static_cast<Bytes>(next) - b;
            continue;
        }
        const unsigned char m = b[i + 1];
        if (m == 0xD9)
            return {};
        if (m == 0x00 || m == 0xFF || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {
            i += (m == 0xFF) ? 1 : 2; // stuffed byte, fill byte or restart marker
            continue;
        }
        if (i + 3 >= size)
            break;
        const qsizetype length = be::get16(b + i + 2);
        i += 2 + length;
    }
    return kTruncated;
}

// Follows a frame's LZW codes (minimum code size, then sub-blocks) without keeping the pixels:
// false when a code names a table entry that does not exist yet, or the codes end before the
// frame's pixels do. Qt's reader fills such frames with whatever it has.
bool lzwCovers(Bytes b, qsizetype size, std::uint64_t pixels)
{
    const int minSize = b[0];
    if (minSize < 2 || minSize > 8)
        return false;
    const int clear = 1 << minSize, end = clear + 1;
    std::vector<std::uint32_t> length(4096, 1); // pixels each code stands for
    int next = end + 1, codeSize = minSize + 1, previous = -1;
    std::uint64_t produced = 0;
    std::uint32_t bitBuffer = 0;
    int bitCount = 0;
    qsizetype i = 1;
    int left = 0; // bytes left in the current sub-block
    for (;;) {
        while (bitCount < codeSize) {
            if (left == 0) {
                if (i >= size || b[i] == 0)
                    return produced >= pixels; // the data ended without an end code
                left = b[i++];
            }
            bitBuffer |= std::uint32_t(b[i++]) << bitCount;
            bitCount += 8;
            --left;
        }
        const int code = int(bitBuffer & ((1u << codeSize) - 1));
        bitBuffer >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            next = end + 1;
            codeSize = minSize + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            return produced >= pixels;
        if (previous < 0) {
            if (code >= clear)
                return false; // the first code after a clear is a single pixel
        } else if (code > next || (code == next && next >= 4096)) {
            return false;
        } else if (next < 4096) {
            length[std::size_t(next)] = length[std::size_t(previous)] + 1;
            ++next;
            if (next == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
        produced += length[std::size_t(code)];
        previous = code;
    }
}

// Walks the blocks to the trailer; a file that stops cleanly between blocks is accepted.
QString checkGif(Bytes b, qsizetype size)
{
    auto skipSubBlocks = [&](qsizetype& i) {
        while (i < size) {
            const int n = b[i];
            i += 1 + n;
            if (n == 0)
                return i <= size;
        }
        return false;
    };
    if (size < 13)
        return kTruncated;
    qsizetype i = 13;
    if (b[10] & 0x80)
        i += 3 * (qsizetype(1) << ((b[10] & 7) + 1));
    bool sawImage = false;
    while (i < size) {
        const unsigned char block = b[i];
        if (block == 0x3B)
            return {};
        if (block == 0x21) {
            i += 2;
            if (!skipSubBlocks(i))
                return kTruncated;
        } else if (block == 0x2C) {
            if (i + 10 > size)
                return kTruncated;
            const std::uint64_t pixels = std::uint64_t(get16(b + i + 5)) * get16(b + i + 7);
            const unsigned char flags = b[i + 9];
            i += 10;
            if (flags & 0x80)
                i += 3 * (qsizetype(1) << ((flags & 7) + 1));
            const qsizetype data = i;
            i += 1; // LZW minimum code size
            if (i > size || !skipSubBlocks(i))
                return kTruncated;
            if (!lzwCovers(b + data, i - data, pixels))
                return kDamaged;
            sawImage = true;
        } else {
            return {}; // not ours to judge
        }
    }
    return (i == size && sawImage) ? QString() : kTruncated;
}

// Walks the chunks to IEND; a chunk that claims more bytes than the file holds is never read, so a
// lying length costs nothing.
QString checkPng(Bytes b, qsizetype size)
{
    qsizetype i = 8;
    while (i + 8 <= size) {
        const std::uint64_t length = be::get32(b + i);
        if (length > std::uint64_t(size - i - 8) || size - i - 8 - qsizetype(length) < 4)
            return kTruncated;
        if (std::memcmp(b + i + 4, "IEND", 4) == 0)
            return {};
        i += 12 + qsizetype(length);
    }
    return kTruncated;
}

} // namespace

QString damagedPictureMessage()
{
    return kDamaged;
}

QString truncationProblem(const QByteArray& bytes)
{
    const auto b = reinterpret_cast<Bytes>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 2 && b[0] == 'B' && b[1] == 'M')
        return checkBmp(b, size);
    if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return checkJpeg(b, size);
    if (size >= 6 && bytes.startsWith("GIF8"))
        return checkGif(b, size);
    if (size >= 8 && bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return checkPng(b, size);
    return {};
}

} // namespace platform
