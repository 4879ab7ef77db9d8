#pragma once
// One input picture through the filter, byte for byte what the window writes for the same source
// and filter.

#include "platform/formats/picturewriter.h"
#include "platform/picturerows.h"
#include "velmor/engine/colorvalues.h"

#include <QImage>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace cli {

// Thrown when stop was raised (an interrupt) before the output was complete.
struct Stopped {};

// A source picture as grid rows: row y (1 = bottom) of width x 3 bytes, blue, green, red.
class Source {
public:
    virtual ~Source() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual const std::uint8_t* row(int y) const = 0;
    // The resolution the picture's file stated, when its decoder kept one.
    virtual std::optional<formats::Resolution> statedResolution() const { return std::nullopt; }
};

// A plain 24-bit bottom-up bitmap is read straight from its own rows; any other picture is decoded.
// Throws platform::RuntimeError.
std::unique_ptr<Source> openSource(const QString& input);
// A picture already in memory (one that a QPX file held, say).
std::unique_ptr<Source> sourceFromImage(const QImage& picture);

// Writes the tinted source as a 24-bit bitmap, replacing output atomically: the output is either
// left as it was or complete. Throws platform::RuntimeError or Stopped.
void writeFilteredBitmap(const Source& source, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop);

// Writes the tinted source in format (not the bitmap) with the source's metadata, replacing output
// atomically; rows are rendered a band at a time, top row first, as the formats store them.
// Throws platform::RuntimeError or Stopped.
void writeFilteredPicture(const Source& source, const QString& output, engine::ColorValue color, formats::Format format,
    const formats::PhotoMetadata& metadata, const formats::WriteOptions& options, const std::atomic<bool>& stop);

// The same from a picture read a row at a time: the rows go through once, never held whole. The
// resolution the file states stands in for metadata that has none.
void writeFilteredPicture(platform::PictureRows& rows, const QString& output, engine::ColorValue color,
    formats::Format format, formats::PhotoMetadata metadata, const formats::WriteOptions& options,
    const std::atomic<bool>& stop);

// The bitmap from a picture read a band at a time, top row first: each band of the output goes into
// its place in the file, so the picture is never held whole (only an output that takes bytes in
// order, a pipe, makes it held). Throws platform::RuntimeError or Stopped.
void writeFilteredBitmap(platform::PictureRows& rows, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop);

// The tinted source as a picture, for a QPX file.
QImage filteredPicture(const Source& source, engine::ColorValue color);

} // namespace cli
