#pragma once
// The writer of each format, behind makePictureWriter.

#include "platform/formats/picturewriter.h"

#include <QString>

namespace formats {

std::unique_ptr<PictureWriter> makeJpegWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata, int quality);
std::unique_ptr<PictureWriter> makePngWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata);
std::unique_ptr<PictureWriter> makeTiffWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata);
std::unique_ptr<PictureWriter> makeWebPWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata);

// The error for an encoder's complaint while it writes the file: names the file, the format and
// the library's reason.
[[noreturn]] void throwEncoderError(const platform::fs::AtomicFile& file, Format format, const QString& reason);

} // namespace formats
