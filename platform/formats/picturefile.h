#pragma once
// A created picture in the format its name asks for, replacing the destination whole or not at
// all: the file has no name until every row is written and the format's structure is complete.

#include "platform/formats/picturewriter.h"
#include "platform/fs.h"

#include <QString>
#include <memory>

namespace formats {

class PictureFile {
public:
    // Refuses a size the format cannot hold before anything is written. Throws
    // platform::RuntimeError naming the destination.
    PictureFile(const QString& destination, Format format, int width, int height, const PhotoMetadata& metadata,
        const WriteOptions& options);
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    // The next row from the top, blue, green, red.
    void writeRow(const std::uint8_t* bgr);
    // Completes the file and puts it in the destination's place. durable: flushed to disk first.
    void commit(bool durable);

private:
    QString destination_;
    std::unique_ptr<platform::fs::AtomicFile> file_;
    std::unique_ptr<PictureWriter> writer_;
};

// Writes the bitmap at bitmapPath, in the system's 24-bit layout, to destination in format with
// the source's metadata (prepared for the picture here), read a band of rows at a time. Throws
// platform::RuntimeError naming the file that failed; destination is then as it was.
void writeBitmapAs(const QString& bitmapPath, const QString& destination, Format format,
    const PhotoMetadata& sourceMetadata, const WriteOptions& options);

} // namespace formats
