#include "platform/errors.h"
#include "velmor/engine/colorvalues.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

int errorNumberOf(const QVariant& v)
{
    try {
        BgrToColor(v);
    } catch (const platform::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(ColorValues, TextIsEightUpperCaseDigitsOfTheTwosComplement)
{
    EXPECT_EQ(ColorToHex(0), "00000000");
    EXPECT_EQ(ColorToHex(0x004040C0), "004040C0");
    EXPECT_EQ(ColorToHex(-1), "FFFFFFFF");
    EXPECT_EQ(ColorToHex(0x7FFFFFFF), "7FFFFFFF");
    EXPECT_EQ(ColorToHex(static_cast<ColorValue>(0x80000000u)), "80000000");
}

TEST(ColorValues, TripletIsBlueGreenRedWithTheTopByteDropped)
{
    EXPECT_EQ(ColorToBgr(0x0040C0C0), (ColorTriplet{64, 192, 192}));
    EXPECT_EQ(ColorToBgr(-1), (ColorTriplet{255, 255, 255}));
    EXPECT_EQ(ColorToBgr(0x00C0C040), (ColorTriplet{192, 192, 64}));
    EXPECT_EQ(HexToBgr("004040C0"), (ColorTriplet{64, 64, 192}));
}

TEST(ColorValues, TripletToValueRoundsHalvesToEvenAndCarries)
{
    EXPECT_EQ(BgrToColor(toVariant({64, 192, 192})), 4243648);
    EXPECT_EQ(BgrToColor(toVariant({0.5, 1.5, 2.5})), 514);
    EXPECT_EQ(BgrToColor(toVariant({0, 1, 256})), 512);
    EXPECT_EQ(BgrToColor(toVariant({0, 0, -1})), -1);
    EXPECT_EQ(BgrToColor(QVariant(QVariantList{QStringLiteral("1"), 2, 3.0})), 65536 + 512 + 3);
    EXPECT_EQ(BgrToHex(toVariant({64, 192, 192})), "0040C0C0");
}

TEST(ColorValues, AValueWithoutASequenceGivesMinusOneNotAnError)
{
    for (const QVariant& v : {QVariant(), QVariant(5), QVariant(QStringLiteral("abc")), QVariant(2.5)}) {
        EXPECT_EQ(BgrToColor(v), -1) << v.typeName();
        EXPECT_EQ(BgrToHex(v), "-1") << v.typeName();
    }
}

TEST(ColorValues, BadSequencesAndOverflowAreErrors)
{
    EXPECT_EQ(errorNumberOf(QVariantList{1, 2}), platform::kSubscriptOutOfRange);
    EXPECT_EQ(errorNumberOf(QVariantList{1, QStringLiteral("green"), 3}), platform::kTypeMismatch);
    EXPECT_EQ(errorNumberOf(toVariant({32768, 0, 0})), platform::kOverflow);
    EXPECT_EQ(errorNumberOf(toVariant({32767, 65535, 256})), platform::kOverflow); // the sum overflows
    EXPECT_EQ(errorNumberOf(toVariant({0, 0, 3e9})), platform::kOverflow);
    EXPECT_EQ(errorNumberOf(toVariant({0, 0, std::numeric_limits<double>::quiet_NaN()})), platform::kOverflow);
    EXPECT_EQ(errorNumberOf(toVariant({-32768, 0, 0})), 0);
}

TEST(ColorValues, HexTextReadsOneToEightDigitsAndNothingElse)
{
    const std::pair<const char*, ColorValue> cases[] = {
        {"00000000", 0}, {"FFFFFFFF", -1}, {"", 0}, {"ff", 255}, {"00C0C0C0", 0x00C0C0C0},
        {"00c0c040", 0x00C0C040}, {"123456789", 0}, {"0x12", 0}, {"12 34", 0}, {"-1", 0}, {"GG", 0},
        {"+1", 0}, {"１２", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(HexToColor(QString::fromUtf8(text)), value) << text;
}

TEST(ColorValues, EachConversionUndoesItsPartner)
{
    for (std::int64_t c = std::numeric_limits<ColorValue>::min(); c <= std::numeric_limits<ColorValue>::max();
         c += 9973 * 1117) {
        const auto v = static_cast<ColorValue>(c);
        EXPECT_EQ(HexToColor(ColorToHex(v)), v);
        const ColorValue low = v & 0x00FFFFFF;
        EXPECT_EQ(BgrToColor(ColorToBgr(low)), low);
    }
}

} // namespace
