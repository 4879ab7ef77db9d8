#pragma once
// 16-bit PNGs with a transparent colour (a tRNS chunk of grey or RGB samples). Qt's reader leaves
// part of such a picture in memory it never sets, so the same file gave other pixels from run to
// run. The file is read without the chunk instead (Qt reads 16-bit samples exactly), and the
// colour is made transparent here, compared at its full 16 bits as the format defines it.

#include <QByteArray>
#include <QImage>
#include <array>
#include <cstdint>
#include <optional>

namespace platform::png {

// The transparent colour as stored: one grey sample, or red, green and blue.
struct TransparentColour {
    bool grey = false;
    std::array<std::uint16_t, 3> samples {};
};

// For a 16-bit grey or RGB PNG with a tRNS chunk: removes the chunk from bytes and returns the
// colour. Nothing for any other file, which is left as it is.
std::optional<TransparentColour> takeTransparentColour16(QByteArray& bytes);

// The picture with every pixel of that colour transparent (in a 16-bit format with alpha).
QImage withTransparentColour(const QImage& picture, const TransparentColour& colour);

} // namespace platform::png
