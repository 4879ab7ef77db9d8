#include "velmor/workflow/outputpicture.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/picture.h"

#include <QFile>

namespace workflow {

QImage loadOutputPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return platform::loadPicture(path); // its own message for a missing or unreadable file
    const QByteArray head = file.read(platform::bmp24::kHeaderSize);
    const auto layout = platform::bmp24::parseHeader(reinterpret_cast<const std::uint8_t*>(head.constData()), std::size_t(head.size()));
    if (!layout || layout->width <= 0 || layout->height <= 0 || layout->width > platform::kMaxPictureSide
        || layout->height > platform::kMaxPictureSide)
        return platform::loadPicture(path);

    QImage picture(layout->width, layout->height, QImage::Format_BGR888);
    if (picture.isNull())
        throw platform::RuntimeError(platform::kOutOfMemory, QStringLiteral("%1: 画像を読み込むメモリが足りません").arg(path));
    const qint64 rowBytes = 3 * qint64(layout->width);
    const qint64 padding = platform::bmp24::padding(layout->width);
    char skip[4];
    // Rows are stored bottom-up.
    for (int y = layout->height - 1; y >= 0; --y) {
        if (file.read(reinterpret_cast<char*>(picture.scanLine(y)), rowBytes) != rowBytes
            || file.read(skip, padding) != padding)
            throw platform::RuntimeError(platform::kInvalidPicture, QStringLiteral("%1: ファイルが途中で切れています").arg(path));
    }
    return picture;
}

} // namespace workflow
