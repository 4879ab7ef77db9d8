#pragma once
// The system's 24-bit bitmap layout: 54-byte header, 24 bits a pixel, no compression,
// rows bottom-up, each row padded with zero bytes to a multiple of 4.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/bmpheader.h"

namespace platform::bmp24 {

// The file header and a 40-byte information header, no colour table: the pixels begin at 54.
constexpr int kHeaderSize = int(bmp::kFileHeaderSize + bmp::kWindowsInfoSize);
// The resolution our encoder records: 96 dots per inch, the screen the twips were designed for.
constexpr std::int32_t kPixelsPerMetre = 3780;

// Bytes of one stored row: 3W rounded up to a multiple of 4.
constexpr std::int64_t stride(std::int64_t width) { return (3 * width + 3) & ~std::int64_t{3}; }
constexpr int padding(std::int64_t width) { return static_cast<int>(stride(width) - 3 * width); }
constexpr std::int64_t fileSize(std::int64_t width, std::int64_t height)
{
    return kHeaderSize + height * stride(width);
}

// The 54 header bytes our encoder writes for a W x H picture.
std::array<std::uint8_t, kHeaderSize> header(std::int32_t width, std::int32_t height);

// What a header says, when it describes a file in exactly this layout (uncompressed,
// 24 bits, bottom-up, pixels at 54); nothing for any other bitmap.
struct Layout {
    std::int32_t width;
    std::int32_t height;
};
std::optional<Layout> parseHeader(const std::uint8_t* bytes, std::size_t size);

// Stored rows of a file in this layout, read with pread at their own offsets, so that a file
// that shrinks or fails while it is read gives an error instead of a signal. Row y counts from
// 1, the first stored row (the bottom of the picture). The descriptor is not owned.
class RowReader {
public:
    RowReader(int fd, std::int32_t width) : fd_(fd), width_(width) {}

    // Reads count rows from row y into dst, row i at dst + i x dstStride. With dstStride equal
    // to the stride the rows come in one read, padding included; otherwise in one read a row of
    // their 3W pixel bytes. False when the file ends first; std::system_error when a read fails.
    bool read(int y, int count, std::uint8_t* dst, std::size_t dstStride) const;

private:
    bool readAt(std::uint8_t* dst, std::size_t size, std::int64_t offset) const;

    int fd_;
    std::int32_t width_;
};

// Where a row writer's bytes go, a strip at a time: a buffer to fill, then its first bytes
// handed over.
class StripSink {
public:
    virtual ~StripSink() = default;
    virtual std::uint8_t* buffer() = 0;
    virtual std::size_t bufferSize() const = 0;
    virtual void submit(std::size_t bytes) = 0;
};

// A sink that writes each strip to a descriptor (not owned) as it is handed over.
class FdStripSink : public StripSink {
public:
    FdStripSink(int fd, std::size_t bufferSize) : fd_(fd), buffer_(bufferSize) {}
    std::uint8_t* buffer() override { return buffer_.data(); }
    std::size_t bufferSize() const override { return buffer_.size(); }
    // Throws std::system_error (ENOSPC on a full disk).
    void submit(std::size_t bytes) override;

private:
    int fd_;
    std::vector<std::uint8_t> buffer_;
};

// Writes a W x H file in this layout: the header, then the rows bottom first, each padded with
// zero bytes, gathered into the sink's strips. The sink's buffer holds at least the header and
// one row.
class RowWriter {
public:
    RowWriter(StripSink& sink, std::int32_t width, std::int32_t height);

    // The pixel bytes (3W) of the next row, to be filled before the next call.
    std::uint8_t* nextRow();
    // Hands over what is left; the caller has filled all H rows.
    void finish();

private:
    StripSink& sink_;
    std::int32_t width_;
    std::size_t stride_;
    std::uint8_t* strip_;
    std::size_t used_ = 0;
};

// Writes a W x H file in this layout from rows that come top first (a decoder's order): each band
// of rows is written with pwrite into its place in the file, whose size is known from the start,
// so the picture is never held whole. The descriptor (not owned) must allow positioned writes.
class TopDownRowWriter {
public:
    TopDownRowWriter(int fd, std::int32_t width, std::int32_t height, std::size_t bandBytes);

    // The pixel bytes (3W) of the next row from the top, to be filled before the next call.
    std::uint8_t* nextRow();
    // Writes what is left; the caller has filled all H rows. Throws std::system_error.
    void finish();

private:
    void writeBand();

    int fd_;
    std::int32_t width_, height_;
    std::size_t stride_;
    int bandRows_;
    std::vector<std::uint8_t> band_; // rows in file order: the last row given is the band's first
    int given_ = 0;                  // rows from the top handed out so far
    int inBand_ = 0;
};

} // namespace platform::bmp24
