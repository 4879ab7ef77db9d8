#pragma once
// The output bitmap of a render: its two temporary names, its header and its rows, written as they
// come and never held whole in memory.

#include "platform/tempnames.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

class OutputBitmap {
public:
    // Makes the scratch name ("Velmor" + time + "_" + number + ".bmp") and then the output name
    // ("VelmorPrev" + ...), each with its own clock reading and draw, creates the output file
    // exclusively and writes the 54-byte header our encoder gives a W x H picture. The scratch
    // file itself is never written: the header depends only on W and H.
    OutputBitmap(const QString& tempFolder, int width, int height);
    // An output not closed is incomplete: it is deleted.
    ~OutputBitmap();
    OutputBitmap(const OutputBitmap&) = delete;
    OutputBitmap& operator=(const OutputBitmap&) = delete;

    const QString& scratchPath() const { return scratchPath_; }
    const QString& outputPath() const { return file_->path(); }

    // Appends bytes at the file's current position (buffered); throws RuntimeError on failure.
    void append(const std::uint8_t* data, std::size_t size);
    // The next size bytes of the file, to be filled in place (every byte) before the next call.
    std::uint8_t* appendInPlace(std::size_t size);
    // Flushes and closes the file; throws RuntimeError on failure (the file is then deleted).
    void close();

private:
    void flush();

    QString scratchPath_;
    std::unique_ptr<platform::TempFile> file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    bool closed_ = false;
};

} // namespace engine
