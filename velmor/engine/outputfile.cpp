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
{
    buffer_.reserve(kBufferSize);
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
    if (buffer_.size() + size > kBufferSize)
        flush();
    if (size > kBufferSize) {
        try {
            platform::fs::writeAll(file_->fd(), data, size, "output");
        } catch (const std::system_error& e) {
            throw platform::fileError(e, file_->path());
        }
        return;
    }
    buffer_.insert(buffer_.end(), data, data + size);
}

void OutputBitmap::flush()
{
    try {
        platform::fs::writeAll(file_->fd(), buffer_.data(), buffer_.size(), "output");
    } catch (const std::system_error& e) {
        throw platform::fileError(e, file_->path());
    }
    buffer_.clear();
}

void OutputBitmap::close()
{
    flush();
    file_->close();
    closed_ = true;
}

} // namespace engine
