#pragma once
// The output bitmap of a render: its two temporary names, its header and its rows, written as they
// come and never held whole in memory.

#include "platform/bmp24.h"
#include "platform/tempnames.h"

#include <QString>
#include <cstdint>
#include <memory>

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

    // The pixel bytes of the next row (3W, padding handled), to be filled before the next call;
    // a full strip goes to the file first, and a failure throws RuntimeError.
    std::uint8_t* nextRow();
    // Flushes and closes the file; throws RuntimeError on failure (the file is then deleted).
    void close();

private:
    QString scratchPath_;
    std::unique_ptr<platform::TempFile> file_;
    platform::bmp24::FdStripSink sink_;
    platform::bmp24::RowWriter rows_;
    bool closed_ = false;
};

} // namespace engine
