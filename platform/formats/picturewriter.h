#pragma once
// Writers that take a picture a row at a time, top row first, and write it in one format together
// with its metadata: JPEG through libjpeg-turbo's scanlines, PNG through libpng row by row, TIFF in
// strips through libtiff, each putting the EXIF, XMP and IPTC blocks and the ICC profile where its
// format keeps them (JPEG APP segments, PNG chunks, TIFF tags). Lossless WebP is encoded whole at
// the end, as libwebp needs the whole picture. Memory apart from WebP stays at a few rows.

#include "platform/formats/format.h"
#include "platform/formats/metadata.h"

#include <cstdint>
#include <memory>

namespace platform::fs {
class AtomicFile;
}

namespace formats {

struct WriteOptions {
    int jpegQuality = kDefaultJpegQuality;
};

class PictureWriter {
public:
    virtual ~PictureWriter() = default;
    // The next row from the top: width pixels of three bytes each, blue, green, red.
    virtual void writeRow(const std::uint8_t* bgr) = 0;
    // After the last row: completes the file. The caller commits it.
    virtual void finish() = 0;
};

// A writer of format (not Bitmap) for a width x height picture into file, which it writes through
// and never commits. metadata is written as it is: metadataForOutput prepares it. Failures, at
// once or in the writer's calls, throw std::system_error for the file and platform::RuntimeError
// for everything else (a size the format cannot hold among them).
std::unique_ptr<PictureWriter> makePictureWriter(Format format, platform::fs::AtomicFile& file, int width,
    int height, const PhotoMetadata& metadata, const WriteOptions& options);

} // namespace formats
