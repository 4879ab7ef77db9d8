// A 200-megapixel photo through velmor-filter: made here with libjpeg, filtered under a memory
// ceiling far below what the picture takes held whole, and checked by its size and a few rows.

#include "platform/bmp24.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kWidth = 16320, kHeight = 12240; // a phone's 200-megapixel mode
// Held whole the picture takes some 1.4 GB, its grid alone 600 MB.
constexpr long kCeilingKiB = 300 * 1024;

// Grey level of the 16 x 16 block at (bx, by): even, so that the sepia factors 1.5 and 0.5 give
// whole numbers. Uniform blocks at quality 100 come back from JPEG exactly.
int level(int bx, int by) { return 8 + 2 * ((bx * 3 + by * 5) % 120); }

void writeJpeg(const QString& path)
{
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_TRUE(out);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(kWidth) * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            std::fill_n(&row[std::size_t(x) * 3], 3, std::uint8_t(level(x / 16, y / 16)));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

// Runs velmor-filter; its exit status and peak resident memory in KiB.
std::pair<int, long> runFilter(const QStringList& args, const QString& home)
{
    std::vector<QByteArray> bytes{QByteArray(VELMOR_BIN_DIR "/velmor-filter")};
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray config = QFile::encodeName(home + QStringLiteral("/config"));
    const QByteArray tmp = QFile::encodeName(home);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
        ::setenv("TMPDIR", tmp.constData(), 1);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's shadow memory is address space of its own
        const rlimit limit{rlim_t(kCeilingKiB) * 1024 * 2, rlim_t(kCeilingKiB) * 1024 * 2};
        ::setrlimit(RLIMIT_AS, &limit);
#endif
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

TEST(BigPicture, A200MegapixelJpegIsFilteredWithoutBeingHeldWhole)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("200mp.jpg"));
    const QString output = dir.filePath(QStringLiteral("200mp.bmp"));
    writeJpeg(input);

    const auto [status, peakKiB] = runFilter({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), input,
                                                 QStringLiteral("-o"), output}, dir.path());
    ASSERT_EQ(status, 0);
    EXPECT_LT(peakKiB, kCeilingKiB) << "peak " << peakKiB / 1024 << " MB";

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), platform::bmp24::fileSize(kWidth, kHeight));
    const auto stride = platform::bmp24::stride(kWidth);
    // The bottom row, a row on each side of a block edge in the middle, and the top row.
    for (int top : {kHeight - 1, 6015, 6016, 0}) {
        ASSERT_TRUE(file.seek(platform::bmp24::kHeaderSize + std::int64_t(kHeight - 1 - top) * stride));
        const QByteArray row = file.read(stride);
        for (int x : {0, 15, 16, 8000, kWidth - 1}) {
            const int v = level(x / 16, top / 16);
            const auto* p = reinterpret_cast<const std::uint8_t*>(row.constData()) + x * 3;
            // Sepia tints grey v to blue v x 0.5, green and red v x 1.5 (at most 255).
            EXPECT_EQ(p[0], v / 2) << "row " << top << ", column " << x;
            EXPECT_EQ(p[1], std::min(255, v * 3 / 2)) << "row " << top << ", column " << x;
            EXPECT_EQ(p[2], std::min(255, v * 3 / 2)) << "row " << top << ", column " << x;
        }
    }
}

} // namespace
