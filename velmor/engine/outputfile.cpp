#include "velmor/engine/outputfile.h"

#include "platform/errors.h"

#include <system_error>

namespace engine {
namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

OutputBitmap::OutputBitmap(const QString& tempFolder, int width, int height)
    : scratchPath_(platform::makeTempName(tempFolder, QStringLiteral("Velmor")))
    , file_(std::make_unique<platform::TempFile>(tempFolder, QStringLiteral("VelmorPrev")))
    , sink_(file_->fd(), kBufferSize)
    , rows_(sink_, width, height)
{
}

OutputBitmap::~OutputBitmap()
{
    if (!closed_)
        file_->remove();
}

std::uint8_t* OutputBitmap::nextRow()
{
    try {
        return rows_.nextRow();
    } catch (const std::system_error& e) {
        throw platform::fileError(e, file_->path());
    }
}

void OutputBitmap::close()
{
    try {
        rows_.finish();
    } catch (const std::system_error& e) {
        throw platform::fileError(e, file_->path());
    }
    file_->close();
    closed_ = true;
}

} // namespace engine
