#include "velmor/engine/colorvalues.h"

#include "platform/errors.h"

#include <QSequentialIterable>
#include <cmath>
#include <limits>

namespace engine {
namespace {

[[noreturn]] void overflow()
{
    throw platform::RuntimeError(platform::kOverflow, QStringLiteral("オーバーフローしました。"));
}

std::int32_t checked(std::int64_t v)
{
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        overflow();
    return static_cast<std::int32_t>(v);
}

// Rounds to the nearest whole number, halves to the even neighbour.
std::int32_t roundToInt32(double v)
{
    if (!std::isfinite(v))
        overflow();
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        overflow();
    return static_cast<std::int32_t>(r);
}

bool holdsSequence(const QVariant& value)
{
    const int type = value.metaType().id();
    if (type == QMetaType::QString || type == QMetaType::QByteArray)
        return false;
    return value.canView<QSequentialIterable>();
}

} // namespace

QString ColorToHex(ColorValue color)
{
    const QString digits = QString::number(static_cast<std::uint32_t>(color), 16).toUpper();
    return (QStringLiteral("0000000") + digits).right(8);
}

ColorTriplet ColorToBgr(ColorValue color)
{
    const QString text = ColorToHex(color);
    ColorTriplet triplet{};
    for (int i = 0; i < 3; ++i)
        triplet[i] = text.mid(2 * i + 2, 2).toInt(nullptr, 16);
    return triplet;
}

ColorValue BgrToColor(const ColorTriplet& t)
{
    std::int32_t color = checked(std::int64_t{roundToInt32(t[0])} * 65536);
    color = checked(std::int64_t{color} + std::int64_t{roundToInt32(t[1])} * 256);
    return checked(std::int64_t{color} + roundToInt32(t[2]));
}

ColorValue BgrToColor(const QVariant& value)
{
    if (!holdsSequence(value))
        return -1;
    const auto sequence = value.value<QSequentialIterable>();
    if (sequence.size() < 3)
        throw platform::RuntimeError(platform::kSubscriptOutOfRange,
            QStringLiteral("色の組には青・緑・赤の 3 つの値が必要です。"));
    ColorTriplet triplet{};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        triplet[i] = sequence.at(i).toDouble(&ok);
        if (!ok)
            throw platform::RuntimeError(platform::kTypeMismatch, QStringLiteral("色の値が数値ではありません。"));
    }
    return BgrToColor(triplet);
}

QString BgrToHex(const QVariant& value)
{
    if (!holdsSequence(value))
        return QStringLiteral("-1");
    return ColorToHex(BgrToColor(value));
}

ColorValue HexToColor(const QString& text)
{
    if (text.isEmpty() || text.size() > 8)
        return 0;
    std::uint32_t value = 0;
    for (const QChar c : text) {
        const int digit = c.isDigit() ? c.digitValue()
            : (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ? c.unicode() - 'a' + 10
            : (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ? c.unicode() - 'A' + 10 : -1;
        if (digit < 0 || c.unicode() > 127)
            return 0;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return static_cast<ColorValue>(value);
}

ColorTriplet HexToBgr(const QString& text)
{
    return ColorToBgr(HexToColor(text));
}

QVariant toVariant(const ColorTriplet& t)
{
    return QVariantList{t[0], t[1], t[2]};
}

} // namespace engine
