#pragma once
// Colour values and their three forms: the 32-bit value 0x00BBGGRR (red in the low byte), its text
// of eight upper-case hexadecimal digits, and the blue-green-red triplet of doubles.

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>

namespace engine {

using ColorValue = std::int32_t;
// Index 0 blue, 1 green, 2 red.
using ColorTriplet = std::array<double, 3>;

QString ColorToHex(ColorValue color);
ColorTriplet ColorToBgr(ColorValue color);
// -1 when the value holds no sequence. A sequence of fewer than three elements, an element that is
// no number, or a result outside 32 bits throws platform::RuntimeError.
ColorValue BgrToColor(const QVariant& value);
ColorValue BgrToColor(const ColorTriplet& triplet);
// "-1" when the value holds no sequence.
QString BgrToHex(const QVariant& value);
// Text of one to eight hexadecimal digits in either case; any other text gives 0.
ColorValue HexToColor(const QString& text);
ColorTriplet HexToBgr(const QString& text);

// The triplet in the loosely typed holder that BgrToColor and BgrToHex accept.
QVariant toVariant(const ColorTriplet& triplet);

} // namespace engine
