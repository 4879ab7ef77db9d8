// A gigabyte made in the test goes through `unlha a` (a thousand chunks on every processor) and
// comes back whole from every reader: ours, lhasa, bsdtar, 7-Zip and jlha, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "test_support.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

constexpr std::uint64_t kSize = (std::uint64_t{1} << 30) + 12345; // not a whole number of chunks

// Lines of a log with a running number: long matches, but never the same line twice, and a
// stretch of noise every few megabytes.
void writeGigabyte(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    std::string piece;
    std::uint64_t written = 0;
    for (std::uint64_t line = 0; written < kSize; ++line) {
        char text[96];
        const int n = std::snprintf(text, sizeof text, "%012llu picture %llu filtered sepia, %llu bytes\n",
                                    static_cast<unsigned long long>(line), static_cast<unsigned long long>(line % 977),
                                    static_cast<unsigned long long>(line * 2654435761u % 100000));
        piece.append(text, static_cast<std::size_t>(n));
        if (line % 100000 == 99999) {
            const test::Bytes noise = test::randomBytes(20000, static_cast<std::uint32_t>(line));
            piece.append(noise.begin(), noise.end());
        }
        if (piece.size() >= (1u << 20) || written + piece.size() >= kSize) {
            const std::size_t n2 = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), kSize - written));
            out.write(piece.data(), static_cast<std::streamsize>(n2));
            written += n2;
            piece.clear();
        }
    }
    ASSERT_TRUE(out.good());
}

TEST(BigFile, AGigabyteComesBackWholeFromEveryReader)
{
    test::ScratchDir dir;
    const std::string file = dir / "big.log";
    const std::string archive = dir / "big.lzh";
    writeGigabyte(file);
    const auto added = test::callUnlha("a " + archive + " " + file);
    ASSERT_EQ(added.code, UNLHA_OK) << added.output;
    EXPECT_EQ(test::callUnlha("t " + archive).code, UNLHA_OK);
    const std::string a = "'" + archive + "'";
    const std::string f = "'" + file + "'";
    for (const std::string& reader : {"lhasa pq " + a, "bsdtar -xOf " + a, "7z x -so " + a})
        EXPECT_EQ(test::runShell(reader + " | cmp - " + f), 0) << reader;
    std::filesystem::create_directory(dir / "jlha");
    EXPECT_EQ(test::runShell("cd '" + (dir / "jlha") + "' && jlha xq " + a + " && cmp big.log " + f), 0) << "jlha";
}

} // namespace
} // namespace unlha
