#include "platform/picturecheck.h"

#include <cstdint>
#include <cstring>

namespace platform {
namespace {

using Bytes = const unsigned char*;

std::uint32_t le32(Bytes p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

const QString kTruncated = QStringLiteral("ファイルが途中で切れています");

QString checkBmp(Bytes b, qsizetype size)
{
    if (size < 30)
        return kTruncated;
    const std::uint32_t offset = le32(b + 10);
    const std::uint32_t infoSize = le32(b + 14);
    if (infoSize < 40 || size < 34)
        return {};
    const auto width = static_cast<std::int32_t>(le32(b + 18));
    const auto height = static_cast<std::int32_t>(le32(b + 22));
    const int bits = b[28] | (b[29] << 8);
    const std::uint32_t compression = le32(b + 30);
    if (compression != 0 && compression != 3)
        return {}; // run-length data has no fixed size
    if (width <= 0 || height == 0 || bits == 0)
        return {};
    const std::int64_t rows = height < 0 ? -std::int64_t(height) : height;
    const std::int64_t stride = ((std::int64_t(width) * bits + 31) / 32) * 4;
    return std::int64_t(offset) + rows * stride > size ? kTruncated : QString();
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
        const qsizetype length = (b[i + 2] << 8) | b[i + 3];
        i += 2 + length;
    }
    return kTruncated;
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
            const unsigned char flags = b[i + 9];
            i += 10;
            if (flags & 0x80)
                i += 3 * (qsizetype(1) << ((flags & 7) + 1));
            i += 1; // LZW minimum code size
            if (i > size || !skipSubBlocks(i))
                return kTruncated;
            sawImage = true;
        } else {
            return {}; // not ours to judge
        }
    }
    return (i == size && sawImage) ? QString() : kTruncated;
}

} // namespace

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
    return {};
}

} // namespace platform
