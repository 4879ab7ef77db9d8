#include "velmor/workflow/outputpicture.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/nativepath.h"
#include "platform/picture.h"

#include <QFile>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace workflow {

QImage loadOutputPicture(const QString& path)
{
    QFile file;
    const int fd = ::open(platform::toNativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return platform::loadPicture(path); // its own message for a missing or unreadable file
    }
    const QByteArray head = file.read(platform::bmp24::kHeaderSize);
    const auto layout = platform::bmp24::parseHeader(reinterpret_cast<const std::uint8_t*>(head.constData()), std::size_t(head.size()));
    if (!layout || layout->width <= 0 || layout->height <= 0 || layout->width > platform::kMaxPictureSide
        || layout->height > platform::kMaxPictureSide)
        return platform::loadPicture(path);

    QImage picture(layout->width, layout->height, QImage::Format_BGR888);
    if (picture.isNull())
        throw platform::RuntimeError(platform::kOutOfMemory, QStringLiteral("%1: 画像を読み込むメモリが足りません").arg(platform::shownPath(path)));
    // Rows are stored bottom-up.
    const platform::bmp24::RowReader rows(file.handle(), layout->width);
    for (int y = 1; y <= layout->height; ++y) {
        bool complete = false;
        try {
            complete = rows.read(y, 1, picture.scanLine(layout->height - y), std::size_t(picture.bytesPerLine()));
        } catch (const std::system_error&) {
            // a read that fails midway is reported as a cut file
        }
        if (!complete)
            throw platform::RuntimeError(platform::kInvalidPicture, QStringLiteral("%1: ファイルが途中で切れています").arg(platform::shownPath(path)));
    }
    return picture;
}

} // namespace workflow
