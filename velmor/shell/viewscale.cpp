#include "velmor/shell/viewscale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace shell {
namespace {

// Sums each k x k block of rows [y*k, y*k+k) into sums (three per block, red first); the layout is
// fixed at compile time so that the inner loop has no variable offsets.
template <int Bytes, int Red, int Green, int Blue>
void averageInto(const QImage& picture, int k, QImage& out)
{
    const int width = out.width();
    const std::uint32_t count = std::uint32_t(k) * std::uint32_t(k);
    const std::uint32_t half = count / 2;
    std::vector<std::uint32_t> sums(std::size_t(width) * 3);
    for (int y = 0; y < out.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int dy = 0; dy < k; ++dy) {
            const uchar* p = picture.constScanLine(y * k + dy);
            std::uint32_t* s = sums.data();
            for (int x = 0; x < width; ++x, s += 3) {
                std::uint32_t r = 0, g = 0, b = 0;
                for (int dx = 0; dx < k; ++dx, p += Bytes) {
                    r += p[Red];
                    g += p[Green];
                    b += p[Blue];
                }
                s[0] += r;
                s[1] += g;
                s[2] += b;
            }
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint32_t* s = sums.data() + 3 * std::size_t(x);
            line[x] = qRgb(int((s[0] + half) / count), int((s[1] + half) / count), int((s[2] + half) / count));
        }
    }
}

} // namespace

QImage averageBlocks(const QImage& picture, int k)
{
    k = std::max(1, k);
    QImage out(picture.width() / k, picture.height() / k, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    switch (picture.format()) {
    case QImage::Format_RGB32: // 0xffRRGGBB words: blue first on little-endian machines, alpha first on others
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
            averageInto<4, 2, 1, 0>(picture, k, out);
        else
            averageInto<4, 1, 2, 3>(picture, k, out);
        return out;
    case QImage::Format_BGR888:
        averageInto<3, 2, 1, 0>(picture, k, out);
        return out;
    case QImage::Format_RGB888:
        averageInto<3, 0, 1, 2>(picture, k, out);
        return out;
    default:
        break;
    }
    return averageBlocks(picture.convertToFormat(QImage::Format_RGB32), k);
}

QImage scaledForView(const QImage& picture, QSize size)
{
    if (picture.isNull() || picture.size() == size || size.isEmpty())
        return picture;
    // Blocks no larger than the final reduction, so that at least the view's size remains.
    const int k = std::min(picture.width() / size.width(), picture.height() / size.height());
    const QImage reduced = k >= 2 && !picture.hasAlphaChannel() ? averageBlocks(picture, k) : picture;
    return reduced.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace shell
