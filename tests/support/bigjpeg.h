#pragma once
// A phone's 200-megapixel photo made in the test with libjpeg, a row at a time (never held whole):
// 16 x 16 blocks of one grey level each, which JPEG at quality 100 gives back exactly, so that a
// test knows every pixel without decoding it.

#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace testsupport {

constexpr int kBigWidth = 16320, kBigHeight = 12240;

// The grey level of the pixel at (x, y), counted from the top: even, so that the sepia factors 1.5
// and 0.5 give whole numbers.
inline int bigLevel(int x, int y) { return 8 + 2 * ((x / 16 * 3 + y / 16 * 5) % 120); }

// Writes the photo; false when the file cannot be made.
inline bool writeBigJpeg(const QString& path)
{
    std::FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = kBigWidth;
    cinfo.image_height = kBigHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(kBigWidth) * 3);
    for (int y = 0; y < kBigHeight; ++y) {
        for (int x = 0; x < kBigWidth; ++x)
            std::fill_n(&row[std::size_t(x) * 3], 3, std::uint8_t(bigLevel(x, y)));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}

// Checks rows of a bitmap of the photo tinted sepia (blue grey x 0.5, green and red x 1.5, at most
// 255): the bottom row, a row on each side of a block edge in the middle, and the top row. An
// empty text when they hold what they should, else what differs.
inline QString checkBigSepiaRows(const QString& bitmapPath)
{
    QFile file(bitmapPath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot open ") + bitmapPath;
    const qint64 stride = (3 * qint64(kBigWidth) + 3) / 4 * 4;
    if (file.size() != 54 + stride * kBigHeight)
        return QStringLiteral("size %1").arg(file.size());
    for (int top : {kBigHeight - 1, 6015, 6016, 0}) {
        if (!file.seek(54 + qint64(kBigHeight - 1 - top) * stride))
            return QStringLiteral("cannot seek");
        const QByteArray row = file.read(stride);
        for (int x : {0, 15, 16, 8000, kBigWidth - 1}) {
            const int v = bigLevel(x, top);
            const auto* p = reinterpret_cast<const std::uint8_t*>(row.constData()) + x * 3;
            if (p[0] != v / 2 || p[1] != std::min(255, v * 3 / 2) || p[2] != std::min(255, v * 3 / 2))
                return QStringLiteral("row %1 from the top, column %2: %3 %4 %5 for grey %6")
                    .arg(top).arg(x).arg(p[0]).arg(p[1]).arg(p[2]).arg(v);
        }
    }
    return {};
}

} // namespace testsupport
