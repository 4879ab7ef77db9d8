#include "velmor/views/picturepixels.h"

#include "platform/picture.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace views {
namespace {

static_assert(std::endian::native == std::endian::little, "RGB32 words are read as blue, green, red bytes");

// Rows of pixels whose first three bytes are blue, green and red: 3 bytes a pixel (the grid and
// BGR888) or 4 (RGB32 words on a little-endian machine). stride < 0 for rows stored bottom-up.
struct Plane {
    const uchar* top = nullptr;
    qsizetype stride = 0;
    int bytes = 0;
    int width = 0, height = 0;

    const uchar* row(int y) const { return top + qsizetype(y) * stride; }
};

Plane planeOf(const QImage& image)
{
    return {image.constBits(), image.bytesPerLine(), image.format() == QImage::Format_BGR888 ? 3 : 4, image.width(),
        image.height()};
}

// Held in a format the sampler reads: BGR888 or RGB32 as they are, anything with alpha laid over
// white as the views' background is, anything else as RGB32.
QImage readable(const QImage& image)
{
    if (image.isNull() || image.format() == QImage::Format_BGR888 || image.format() == QImage::Format_RGB32)
        return image;
    if (image.hasAlphaChannel())
        return platform::toBgr888(image);
    return image.convertToFormat(QImage::Format_RGB32);
}

// The plane coordinate where device coordinate d falls, for a picture of side plane pixels mapped
// onto side device pixels starting at origin: exact in whole numbers, so that 1:1 is a copy.
int planeAt(int d, int origin, int side, int plane)
{
    return int(std::int64_t(d - origin) * plane / side);
}

// Each device pixel of visible is the average of the plane pixels its square covers (at least one:
// enlarged, a pixel repeats). Column sums over the rows a device row covers are made once a row.
template <int Bytes>
void sample(const Plane& p, const QRect& rect, const QRect& visible, QImage& out)
{
    const int outWidth = visible.width();
    std::vector<int> x0(static_cast<std::size_t>(outWidth)), x1(static_cast<std::size_t>(outWidth));
    for (int i = 0; i < outWidth; ++i) {
        const int d = visible.x() + i;
        x0[i] = std::clamp(planeAt(d, rect.x(), rect.width(), p.width), 0, p.width - 1);
        x1[i] = std::clamp(planeAt(d + 1, rect.x(), rect.width(), p.width), x0[i] + 1, p.width);
    }
    const int first = x0.front(), last = x1.back();
    std::vector<std::uint32_t> sums(std::size_t(last - first) * Bytes);
    int lastY0 = -1, lastY1 = -1;
    for (int j = 0; j < visible.height(); ++j) {
        const int d = visible.y() + j;
        const int y0 = std::clamp(planeAt(d, rect.y(), rect.height(), p.height), 0, p.height - 1);
        const int y1 = std::clamp(planeAt(d + 1, rect.y(), rect.height(), p.height), y0 + 1, p.height);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(j));
        if (y0 == lastY0 && y1 == lastY1) { // enlarged: the row above again
            std::memcpy(line, out.constScanLine(j - 1), std::size_t(outWidth) * 4);
            continue;
        }
        lastY0 = y0;
        lastY1 = y1;
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = y0; y < y1; ++y) {
            const uchar* src = p.row(y) + std::size_t(first) * Bytes;
            for (std::size_t k = 0; k < sums.size(); ++k)
                sums[k] += src[k];
        }
        for (int i = 0; i < outWidth; ++i) {
            const std::uint64_t n = std::uint64_t(x1[i] - x0[i]) * std::uint64_t(y1 - y0);
            std::uint64_t b = 0, g = 0, r = 0;
            for (const std::uint32_t* s = sums.data() + std::size_t(x0[i] - first) * Bytes,
                                    *end = sums.data() + std::size_t(x1[i] - first) * Bytes;
                 s < end; s += Bytes) {
                b += s[0];
                g += s[1];
                r += s[2];
            }
            line[i] = qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
        }
    }
}

} // namespace

PicturePixels PicturePixels::ofGrid(std::shared_ptr<const engine::SourcePixels> grid, const QImage& reduced)
{
    PicturePixels p;
    if (!grid || grid->empty())
        return p;
    p.size_ = QSize(grid->width, grid->height);
    p.grid_ = std::move(grid);
    p.reduced_ = readable(reduced);
    return p;
}

PicturePixels PicturePixels::ofPicture(const QImage& picture)
{
    PicturePixels p;
    p.size_ = picture.size();
    p.whole_ = readable(picture);
    return p;
}

PicturePixels PicturePixels::ofFirstView(const QImage& reduced, QSize size)
{
    PicturePixels p;
    if (reduced.isNull())
        return p;
    p.size_ = size;
    p.reduced_ = readable(reduced);
    return p;
}

Displayed PicturePixels::render(const QRect& rect, QSize viewDevice) const
{
    const QRect visible = rect.intersected(QRect(QPoint(0, 0), viewDevice));
    if (isNull() || visible.isEmpty())
        return {};
    // The reduced copy serves while it has as many pixels as the screen shows.
    Plane plane;
    const bool reducedEnough = !reduced_.isNull() && reduced_.width() >= rect.width() && reduced_.height() >= rect.height();
    if (reducedEnough || !isWhole())
        plane = planeOf(reduced_);
    else if (grid_)
        plane = {grid_->row(grid_->height), -qsizetype(grid_->width) * 3, 3, grid_->width, grid_->height};
    else
        plane = planeOf(whole_);

    QImage out(visible.size(), QImage::Format_RGB32);
    if (out.isNull())
        return {};
    if (plane.bytes == 3)
        sample<3>(plane, rect, visible, out);
    else
        sample<4>(plane, rect, visible, out);
    return {std::move(out), visible.topLeft()};
}

} // namespace views
