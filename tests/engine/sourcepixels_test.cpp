#include "platform/errors.h"
#include "velmor/engine/sourcepixels.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace engine;

namespace {

struct SourcePixelsTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("src.bmp"));

    // A file whose byte at offset i is i mod 251 (the header bytes are never read).
    void writeNumbered(int size) const
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i % 251);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};

TEST_F(SourcePixelsTest, RecordsComeFromRowOffsetsAndSkipPadding)
{
    writeNumbered(54 + 2 * 8); // 2 x 2: stride 8
    const SourcePixels grid = LoadSourcePixels(path, 2, 2);
    const std::vector<std::uint8_t> expected = {54, 55, 56, 57, 58, 59, 62, 63, 64, 65, 66, 67};
    EXPECT_EQ(grid.bytes, expected);
    EXPECT_FALSE(QFile::exists(path)); // consumed
}

TEST_F(SourcePixelsTest, StridesForNarrowWidths)
{
    const int strides[] = {4, 8, 12, 12, 16};
    for (int w = 1; w <= 5; ++w) {
        writeNumbered(54 + 3 * strides[w - 1]);
        const SourcePixels grid = LoadSourcePixels(path, w, 3);
        ASSERT_EQ(grid.bytes.size(), std::size_t(9 * w));
        // First byte of grid row 3 is the file byte at 54 + 2S.
        EXPECT_EQ(grid.row(3)[0], (54 + 2 * strides[w - 1]) % 251) << "W=" << w;
    }
}

TEST_F(SourcePixelsTest, AShortFileIsAnErrorAndStaysForTheCaller)
{
    writeNumbered(54 + 8 + 3);
    EXPECT_THROW(LoadSourcePixels(path, 2, 2), platform::RuntimeError);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(SourcePixelsTest, MissingFileAndOversizedGridsAreErrors)
{
    EXPECT_THROW(LoadSourcePixels(path, 1, 1), platform::RuntimeError);
    writeNumbered(64);
    try {
        LoadSourcePixels(path, 30000, 30000); // S x H beyond 32 bits
        FAIL();
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::kOverflow);
    }
    EXPECT_TRUE(QFile::exists(path));
}

} // namespace
