#include "platform/bmp24.h"

#include "platform/bmpheader.h"
#include "platform/byteorder.h"
#include "platform/fs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace platform::bmp24 {

using le::put16;
using le::put32;

std::array<std::uint8_t, kHeaderSize> header(std::int32_t width, std::int32_t height)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    const auto imageSize = static_cast<std::uint32_t>(stride(width) * height);
    h[0] = 'B';
    h[1] = 'M';
    put32(&h[bmp::kFileSize], static_cast<std::uint32_t>(kHeaderSize) + imageSize);
    put32(&h[bmp::kPixelOffset], kHeaderSize);
    put32(&h[bmp::kInfoSize], bmp::kWindowsInfoSize);
    put32(&h[bmp::kWidth], static_cast<std::uint32_t>(width));
    put32(&h[bmp::kHeight], static_cast<std::uint32_t>(height));
    put16(&h[bmp::kPlanes], 1);
    put16(&h[bmp::kBitCount], 24);
    put32(&h[bmp::kCompression], bmp::kRgb);
    put32(&h[bmp::kImageSize], imageSize);
    put32(&h[bmp::kXPixelsPerMetre], kPixelsPerMetre);
    put32(&h[bmp::kYPixelsPerMetre], kPixelsPerMetre);
    return h;
}

std::optional<Layout> parseHeader(const std::uint8_t* b, std::size_t size)
{
    if (size < kHeaderSize)
        return std::nullopt;
    const auto h = bmp::readHeader(b, size);
    const bool plain = h && h->pixelOffset == kHeaderSize && h->infoSize == bmp::kWindowsInfoSize && h->planes == 1
        && h->bits == 24 && h->compression == bmp::kRgb;
    if (!plain || h->width <= 0 || h->height <= 0)
        return std::nullopt;
    return Layout{std::int32_t(h->width), std::int32_t(h->height)};
}

bool RowReader::readAt(std::uint8_t* dst, std::size_t size, std::int64_t offset) const
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd_, dst + got, size - got, off_t(offset) + off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::system_error(errno, std::generic_category(), "rows");
        if (n == 0)
            return false;
        got += std::size_t(n);
    }
    return true;
}

bool RowReader::read(int y, int count, std::uint8_t* dst, std::size_t dstStride) const
{
    const auto rowStride = stride(width_);
    const std::int64_t at = kHeaderSize + std::int64_t(y - 1) * rowStride;
    if (dstStride == std::size_t(rowStride))
        return readAt(dst, std::size_t(count) * dstStride, at);
    for (int i = 0; i < count; ++i)
        if (!readAt(dst + std::size_t(i) * dstStride, std::size_t(width_) * 3, at + i * rowStride))
            return false;
    return true;
}

void FdStripSink::submit(std::size_t bytes)
{
    fs::writeAll(fd_, buffer_.data(), bytes, "rows");
}

RowWriter::RowWriter(StripSink& sink, std::int32_t width, std::int32_t height)
    : sink_(sink), width_(width), stride_(std::size_t(stride(width))), strip_(sink.buffer())
{
    if (sink.bufferSize() < kHeaderSize + stride_)
        throw std::length_error("bitmap strip smaller than a row");
    const auto h = header(width, height);
    std::memcpy(strip_, h.data(), h.size());
    used_ = h.size();
}

std::uint8_t* RowWriter::nextRow()
{
    if (used_ + stride_ > sink_.bufferSize()) {
        sink_.submit(used_);
        strip_ = sink_.buffer();
        used_ = 0;
    }
    std::uint8_t* row = strip_ + used_;
    std::memset(row + std::size_t(width_) * 3, 0, stride_ - std::size_t(width_) * 3);
    used_ += stride_;
    return row;
}

void RowWriter::finish()
{
    sink_.submit(used_);
    used_ = 0;
}

TopDownRowWriter::TopDownRowWriter(int fd, std::int32_t width, std::int32_t height, std::size_t bandBytes)
    : fd_(fd), width_(width), height_(height), stride_(std::size_t(stride(width))),
      bandRows_(int(std::clamp<std::size_t>(bandBytes / stride_, 1, std::size_t(std::max(height, 1))))),
      band_(std::size_t(bandRows_) * stride_, 0) // padding bytes stay zero
{
    const auto h = header(width, height);
    fs::writeAllAt(fd_, h.data(), h.size(), 0, "rows");
}

std::uint8_t* TopDownRowWriter::nextRow()
{
    if (inBand_ == bandRows_)
        writeBand();
    ++inBand_;
    ++given_;
    return band_.data() + std::size_t(bandRows_ - inBand_) * stride_;
}

void TopDownRowWriter::finish()
{
    if (inBand_ > 0)
        writeBand();
}

// The band holds rows given_ - inBand_ + 1 .. given_ from the top, the last of them at the band's
// end offset first: stored rows height - given_ + 1 onwards.
void TopDownRowWriter::writeBand()
{
    const std::size_t skip = std::size_t(bandRows_ - inBand_) * stride_;
    const std::int64_t at = kHeaderSize + std::int64_t(height_ - given_) * std::int64_t(stride_);
    fs::writeAllAt(fd_, band_.data() + skip, std::size_t(inBand_) * stride_, at, "rows");
    inBand_ = 0;
}

} // namespace platform::bmp24
