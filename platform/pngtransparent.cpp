#include "platform/pngtransparent.h"

#include "platform/byteorder.h"

#include <cstring>

namespace platform::png {
namespace {

using be::get16;
using be::get32;

constexpr int kGrey = 0, kRgb = 2;

} // namespace

std::optional<TransparentColour> takeTransparentColour16(QByteArray& bytes)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    // IHDR comes first: width, height, bit depth, colour type.
    if (size < 8 + 8 + 13 || std::memcmp(b + 12, "IHDR", 4) != 0 || get32(b + 8) != 13)
        return std::nullopt;
    const int depth = b[16 + 8];
    const int colourType = b[16 + 9];
    if (depth != 16 || (colourType != kGrey && colourType != kRgb))
        return std::nullopt;
    // The chunk stands before the pixel data; every length is checked against the file.
    for (qsizetype at = 8; at + 12 <= size;) {
        const std::uint64_t length = get32(b + at);
        if (length > std::uint64_t(size - at - 12))
            return std::nullopt;
        const unsigned char* type = b + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0)
            return std::nullopt;
        if (std::memcmp(type, "tRNS", 4) == 0) {
            TransparentColour colour;
            colour.grey = colourType == kGrey;
            if (length != (colour.grey ? 2u : 6u))
                return std::nullopt; // a malformed chunk stays for Qt to judge
            for (int i = 0; i < (colour.grey ? 1 : 3); ++i)
                colour.samples[std::size_t(i)] = std::uint16_t(get16(b + at + 8 + 2 * i));
            bytes.remove(at, qsizetype(length) + 12);
            return colour;
        }
        at += qsizetype(length) + 12;
    }
    return std::nullopt;
}

QImage withTransparentColour(const QImage& picture, const TransparentColour& colour)
{
    QImage out = picture.convertToFormat(QImage::Format_RGBA64);
    const auto [r, g, b] = colour.grey ? std::array {colour.samples[0], colour.samples[0], colour.samples[0]} : colour.samples;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgba64*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (row[x].red() == r && row[x].green() == g && row[x].blue() == b)
                row[x] = QRgba64::fromRgba64(0, 0, 0, 0);
    }
    return out;
}

} // namespace platform::png
