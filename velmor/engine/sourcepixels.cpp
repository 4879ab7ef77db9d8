#include "velmor/engine/sourcepixels.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <system_error>
#include <unistd.h>

namespace engine {
namespace {

// Each size is a signed 32-bit quantity; a picture whose sizes do not fit is refused.
std::int32_t checked32(std::int64_t v)
{
    if (v < 0 || v > std::numeric_limits<std::int32_t>::max())
        throw platform::RuntimeError(platform::kOverflow, QStringLiteral("画像が大きすぎます。"));
    return static_cast<std::int32_t>(v);
}

} // namespace

SourcePixels LoadSourcePixels(const QString& path, int width, int height)
{
    const std::int32_t rowBytes = checked32(std::int64_t{3} * width);
    checked32(platform::bmp24::stride(width) * height);
    checked32(std::int64_t{width} * height);

    SourcePixels grid;
    grid.width = width;
    grid.height = height;
    grid.bytes.resize(std::size_t(rowBytes) * std::size_t(height));

    const QByteArray name = platform::toNativePath(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        throw platform::fileError(errno, path);
    bool complete = false;
    try {
        complete = platform::bmp24::RowReader(fd, width).read(1, height, grid.bytes.data(), std::size_t(rowBytes));
    } catch (const std::system_error& e) {
        ::close(fd);
        throw platform::fileError(e, path);
    }
    if (!complete) {
        ::close(fd);
        throw platform::RuntimeError(platform::kFileAccessError,
            QStringLiteral("%1: ファイルが画像の大きさより短いです").arg(platform::shownPath(path)));
    }
    ::close(fd);
    if (::unlink(name.constData()) != 0)
        throw platform::fileError(errno, path);
    return grid;
}

} // namespace engine
