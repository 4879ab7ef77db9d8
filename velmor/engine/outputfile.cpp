#include "velmor/engine/outputfile.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/fs.h"

#include <cstring>

namespace engine {
namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

OutputBitmap::OutputBitmap(const QString& tempFolder, int width, int height)
    : scratchPath_(platform::makeTempName(tempFolder, QStringLiteral("Velmor")))
    , file_(std::make_unique<platform::TempFile>(tempFolder, QStringLiteral("VelmorPrev")))
    , buffer_(kBufferSize)
{
    const auto header = platform::bmp24::header(width, height);
    append(header.data(), header.size());
}

OutputBitmap::~OutputBitmap()
{
    if (!closed_)
        file_->remove();
}

void OutputBitmap::append(const std::uint8_t* data, std::size_t size)
{
    std::memcpy(appendInPlace(size), data, size);
}

std::uint8_t* OutputBitmap::appendInPlace(std::size_t size)
{
    if (used_ + size > buffer_.size())
        flush();
    if (size > buffer_.size())
        buffer_.resize(size);
    std::uint8_t* at = buffer_.data() + used_;
    used_ += size;
    return at;
}

void OutputBitmap::flush()
{
    try {
        platform::fs::writeAll(file_->fd(), buffer_.data(), used_, "output");
    } catch (const std::system_error& e) {
        throw platform::fileError(e, file_->path());
    }
    used_ = 0;
}

void OutputBitmap::close()
{
    flush();
    file_->close();
    closed_ = true;
}

} // namespace engine
