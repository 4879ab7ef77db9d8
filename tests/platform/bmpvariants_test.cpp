// Bitmap variants, written here byte by byte from the published layout, read exactly.

#include "platform/errors.h"
#include "platform/picture.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

namespace {

struct Bitmap {
    int header = 40; // 12: OS/2 1.x; 40, 56, 108, 124: Windows
    int width = 0, height = 0;
    int bits = 0;
    std::uint32_t compression = 0; // 3: bit fields
    std::vector<std::uint32_t> masks; // R, G, B[, A]: after a 40-byte header, else inside the header
    std::vector<QRgb> palette;
    std::uint32_t colorsUsed = 0;
    bool topDown = false;
    std::vector<std::uint32_t> pixels; // palette indexes or packed pixels, top row first

    QByteArray bytes() const
    {
        QByteArray out;
        auto put = [&](std::uint64_t v, int n) {
            for (int i = 0; i < n; ++i)
                out.append(char((v >> (8 * i)) & 0xFF));
        };
        const int maskBytes = header == 40 ? 4 * int(masks.size()) : 0;
        const int entry = header == 12 ? 3 : 4;
        const int offset = 14 + header + maskBytes + entry * int(palette.size());
        const int stride = ((width * bits + 31) / 32) * 4;
        out.append("BM");
        put(std::uint32_t(offset + stride * height), 4);
        put(0, 4);
        put(std::uint32_t(offset), 4);
        put(std::uint32_t(header), 4);
        if (header == 12) {
            put(std::uint32_t(width), 2);
            put(std::uint32_t(height), 2);
            put(1, 2);
            put(std::uint32_t(bits), 2);
        } else {
            put(std::uint32_t(width), 4);
            put(std::uint32_t(topDown ? -height : height), 4);
            put(1, 2);
            put(std::uint32_t(bits), 2);
            put(compression, 4);
            put(std::uint32_t(stride * height), 4);
            put(2835, 4);
            put(2835, 4);
            put(colorsUsed, 4);
            put(0, 4);
            for (std::size_t i = 0; header > 40 && i < 4; ++i)
                put(i < masks.size() ? masks[i] : 0, 4);
            out.append(QByteArray(14 + header - out.size(), '\0')); // the rest of a longer header
            if (header == 40)
                for (std::uint32_t m : masks)
                    put(m, 4);
        }
        for (QRgb c : palette) {
            put(qBlue(c), 1), put(qGreen(c), 1), put(qRed(c), 1);
            if (entry == 4)
                put(0, 1);
        }
        for (int r = 0; r < height; ++r) {
            const int y = topDown ? r : height - 1 - r;
            QByteArray row(stride, '\0');
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = pixels[std::size_t(y * width + x)];
                if (bits < 8) {
                    const int bit = x * bits;
                    row[bit / 8] = char(row[bit / 8] | (v << (8 - bits - bit % 8)));
                } else {
                    for (int i = 0; i < bits / 8; ++i)
                        row[x * (bits / 8) + i] = char(v >> (8 * i));
                }
            }
            out.append(row);
        }
        return out;
    }
};

struct BmpVariantTest : ::testing::Test {
    QTemporaryDir dir;
    QImage load(const QByteArray& bytes) const
    {
        const QString path = dir.filePath(QStringLiteral("variant.bmp"));
        testsupport::writeFile(path, bytes);
        return platform::loadPicture(path);
    }
    static std::vector<QRgb> colours(const QImage& img)
    {
        std::vector<QRgb> out;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                out.push_back(img.pixel(x, y));
        return out;
    }
};

TEST_F(BmpVariantTest, EveryChannelIsScaledToTheFullRange)
{
    const struct {
        const char* what;
        Bitmap bitmap;
        std::vector<QRgb> expected;
    } cases[] = {
        // The header also claims 300 palette colours that a direct-colour bitmap does not have.
        {"16-bit 5-5-5", {40, 4, 1, 16, 0, {}, {}, 300, false, {0x7FFF, 0x7C00, 0x4210, 0x0001}},
            {qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(132, 132, 132), qRgb(0, 0, 8)}},
        {"16-bit 5-6-5", {40, 3, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, 0, false, {0xFFFF, 0x07E0, 0x0020}},
            {qRgb(255, 255, 255), qRgb(0, 255, 0), qRgb(0, 4, 0)}},
        {"32-bit 11-11-10", {56, 3, 1, 32, 3, {0xFFE00000, 0x001FFC00, 0x000003FF}, {}, 0, false,
                                {0xFFFFFFFF, 0x001FFC00, 1024u << 21}},
            {qRgb(255, 255, 255), qRgb(0, 255, 0), qRgb(128, 0, 0)}},
        {"32-bit 10-10-10-2", {124, 2, 1, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, {}, 0, false,
                                  {0xFFF00200, 0x400FFC00}},
            {qRgba(255, 0, 128, 255), qRgba(0, 255, 0, 85)}},
        {"32-bit without fields", {40, 2, 1, 32, 0, {}, {}, 0, false, {0x00112233, 0xFF445566}},
            {qRgb(0x11, 0x22, 0x33), qRgb(0x44, 0x55, 0x66)}},
        {"16-bit top-down", {108, 1, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, 0, true, {0xF800, 0x001F}},
            {qRgb(255, 0, 0), qRgb(0, 0, 255)}},
    };
    for (const auto& c : cases) {
        const QImage img = load(c.bitmap.bytes());
        ASSERT_EQ(img.size(), QSize(c.bitmap.width, c.bitmap.height)) << c.what;
        EXPECT_EQ(colours(img), c.expected) << c.what;
    }
}

// Palettes shorter than the bit count allows end where the pixels begin; indexes past them are black.
TEST_F(BmpVariantTest, ShortPalettesAndOs2BitmapsKeepTheirColours)
{
    const QRgb red = qRgb(200, 10, 20), teal = qRgb(0, 128, 128), ivory = qRgb(250, 250, 230);
    const struct {
        const char* what;
        Bitmap bitmap;
        std::vector<QRgb> expected;
    } cases[] = {
        {"OS/2 8-bit, 3 colours", {12, 4, 1, 8, 0, {}, {red, teal, ivory}, 0, false, {2, 1, 0, 7}},
            {ivory, teal, red, qRgb(0, 0, 0)}},
        {"OS/2 1-bit", {12, 9, 1, 1, 0, {}, {red, ivory}, 0, false, {1, 0, 0, 0, 0, 0, 0, 0, 1}},
            {ivory, red, red, red, red, red, red, red, ivory}},
        {"4-bit, 2 of 16 colours", {40, 3, 2, 4, 0, {}, {teal, red}, 2, false, {1, 0, 1, 0, 1, 0}},
            {red, teal, red, teal, red, teal}},
        {"2-bit", {40, 4, 1, 2, 0, {}, {red, teal, ivory, qRgb(1, 2, 3)}, 0, false, {3, 2, 1, 0}},
            {qRgb(1, 2, 3), ivory, teal, red}},
    };
    for (const auto& c : cases) {
        const QImage img = load(c.bitmap.bytes());
        ASSERT_EQ(img.size(), QSize(c.bitmap.width, c.bitmap.height)) << c.what;
        EXPECT_EQ(colours(img), c.expected) << c.what;
    }
}

TEST_F(BmpVariantTest, WrongBitCountsAndFieldsSayWhatIsWrong)
{
    Bitmap seven{40, 2, 2, 8, 0, {}, {qRgb(0, 0, 0)}, 0, false, {0, 0, 0, 0}};
    QByteArray bytes = seven.bytes();
    bytes[28] = 7;
    try {
        load(bytes);
        ADD_FAILURE() << "a 7-bit bitmap was read";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::kInvalidPicture);
        EXPECT_TRUE(e.text().contains(QStringLiteral("ビット数 7 は正しくありません"))) << e.text().toStdString();
    }
    const Bitmap gaps{40, 1, 1, 16, 3, {0xF00F, 0x07E0, 0x001F}, {}, 0, false, {0}}; // red's bits are not contiguous
    try {
        load(gaps.bytes());
        ADD_FAILURE() << "a mask with gaps was taken";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::kInvalidPicture);
        EXPECT_TRUE(e.text().contains(QStringLiteral("ビットフィールド"))) << e.text().toStdString();
    }
}

} // namespace
