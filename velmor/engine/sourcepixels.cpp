#include "velmor/engine/sourcepixels.h"

#include "platform/bmp24.h"
#include "platform/errors.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <limits>
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
    const std::int32_t stride = checked32(platform::bmp24::stride(width));
    checked32(std::int64_t{stride} * height);
    checked32(std::int64_t{width} * height);

    SourcePixels grid;
    grid.width = width;
    grid.height = height;
    grid.bytes.resize(std::size_t(rowBytes) * std::size_t(height));

    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        throw platform::fileError(errno, path);
    for (int y = 1; y <= height; ++y) {
        const off_t offset = platform::bmp24::kHeaderSize + off_t(y - 1) * stride;
        auto* dst = grid.bytes.data() + std::size_t(y - 1) * std::size_t(rowBytes);
        ssize_t got = 0;
        while (got < rowBytes) {
            const ssize_t n = ::pread(fd, dst + got, std::size_t(rowBytes - got), offset + got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int err = n < 0 ? errno : 0;
                ::close(fd);
                if (err)
                    throw platform::fileError(err, path);
                throw platform::RuntimeError(platform::kFileAccessError,
                    QStringLiteral("%1: ファイルが画像の大きさより短いです").arg(path));
            }
            got += n;
        }
    }
    ::close(fd);
    if (::unlink(name.constData()) != 0)
        throw platform::fileError(errno, path);
    return grid;
}

} // namespace engine
