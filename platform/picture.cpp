#include "platform/picture.h"

#include "platform/bmp24.h"
#include "platform/bmpread.h"
#include "platform/decoderwarnings.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/picturebudget.h"
#include "platform/picturecheck.h"
#include "platform/pngtransparent.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

QString named(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(shownPath(path), reason);
}

// The whole file; a pipe, device or folder is refused before it is opened, so nothing waits on it.
QByteArray readPictureFile(const QString& path)
{
    const int fd = fs::openRegularForReading(nativePathString(path));
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT)
            throw RuntimeError(kFileNotFound, named(path, QStringLiteral("ファイルが見つかりません")));
        if (err == ENODEV || err == EISDIR)
            throw RuntimeError(kInvalidPicture, named(path, QStringLiteral("ファイルではありません")));
        throw RuntimeError(kPermissionDenied, named(path, QStringLiteral("読み込めません (%1)").arg(errnoReason(err))));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw RuntimeError(kFileAccessError, named(path, QStringLiteral("読み込めません (%1)").arg(file.errorString())));
    }
    // The file's bytes are held whole while it decodes: they count against the budget too.
    if (const QString problem = pictureBudgetProblem(0, 0, file.size()); !problem.isEmpty())
        throw RuntimeError(kOutOfMemory, named(path, problem));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(kFileAccessError, named(path, QStringLiteral("読み込めません (%1)").arg(file.errorString())));
    return bytes;
}

// Refuses a picture of this size before it is decoded: past the side limit, or past the memory
// budget. With hold, the picture's share of the budget is taken into it (waiting for other
// pictures of the run to give theirs back when it fits only without them).
void checkDecodedSize(const QString& path, QSize size, qint64 fileBytes, PictureMemory* hold)
{
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        throw RuntimeError(kOverflow, named(path, QStringLiteral("画像が大きすぎます (%1 x %2、縦横とも %3 ピクセルまで)")
                                                      .arg(size.width()).arg(size.height()).arg(kMaxPictureSide)));
    if (hold) {
        *hold = PictureMemory::claim(wholePictureBytes(size.width(), size.height()) + fileBytes);
        if (hold->bytes() > 0)
            return;
    }
    if (const QString problem = pictureBudgetProblem(size.width(), size.height(), fileBytes); !problem.isEmpty())
        throw RuntimeError(kOutOfMemory, named(path, problem));
}

} // namespace

QImage loadPicture(const QString& path, PictureMemory* hold)
{
    QByteArray bytes = readPictureFile(path);
    if (bytes.isEmpty())
        throw RuntimeError(kInvalidPicture, named(path, QStringLiteral("空のファイルです")));
    if (const QString problem = truncationProblem(bytes); !problem.isEmpty())
        throw RuntimeError(kInvalidPicture, named(path, problem));

    if (QSize size; bmp::readsItself(bytes, &size)) {
        checkDecodedSize(path, size, bytes.size(), hold);
        QString problem;
        QImage picture = bmp::read(bytes, &problem);
        if (picture.isNull())
            throw RuntimeError(kInvalidPicture, named(path, problem));
        return picture;
    }

    const std::optional<png::TransparentColour> transparent = png::takeTransparentColour16(bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // The budget below bounds memory before decoding; Qt's own limit is the net for readers that
    // cannot tell the size first (its default would refuse ordinary large photos).
    QImageReader::setAllocationLimit(int(std::min<qint64>(pictureMemoryTotal() >> 20, std::numeric_limits<int>::max())));
    QImage picture;
    {
        // libjpeg warns while it reads the header as much as while it decodes.
        const DecoderWarnings warnings;
        if (const QSize size = reader.size(); size.isValid())
            checkDecodedSize(path, size, bytes.size(), hold);
        picture = reader.read();
        if (!warnings.first().isEmpty())
            throw RuntimeError(kInvalidPicture, named(path, damagedPictureMessage()));
    }
    if (picture.isNull())
        throw RuntimeError(kInvalidPicture, named(path, QStringLiteral("画像として読み込めません (%1)").arg(reader.errorString())));
    if (transparent)
        picture = png::withTransparentColour(picture, *transparent);
    if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
        throw RuntimeError(kOverflow, named(path, QStringLiteral("画像が大きすぎます (縦横とも %1 ピクセルまで)").arg(kMaxPictureSide)));
    return picture;
}

QImage loadBmp24Picture(const QString& path)
{
    const int fd = fs::openRegularForReading(nativePathString(path));
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return loadPicture(path); // its own message for a missing or unreadable file
    }
    const QByteArray head = file.read(bmp24::kHeaderSize);
    const auto layout = bmp24::parseHeader(reinterpret_cast<const std::uint8_t*>(head.constData()), std::size_t(head.size()));
    if (!layout || layout->width <= 0 || layout->height <= 0 || layout->width > kMaxPictureSide || layout->height > kMaxPictureSide)
        return loadPicture(path);

    QImage picture(layout->width, layout->height, QImage::Format_BGR888);
    if (picture.isNull())
        throw RuntimeError(kOutOfMemory, named(path, QStringLiteral("画像を読み込むメモリが足りません")));
    // Rows are stored bottom-up.
    const bmp24::RowReader rows(file.handle(), layout->width);
    for (int y = 1; y <= layout->height; ++y) {
        bool complete = false;
        try {
            complete = rows.read(y, 1, picture.scanLine(layout->height - y), std::size_t(picture.bytesPerLine()));
        } catch (const std::system_error&) {
            // a read that fails midway is reported as a cut file
        }
        if (!complete)
            throw RuntimeError(kInvalidPicture, named(path, QStringLiteral("ファイルが途中で切れています")));
    }
    return picture;
}

QImage toBgr888(const QImage& picture)
{
    if (picture.format() == QImage::Format_BGR888)
        return picture;
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(QImage::Format_BGR888);

    // Over white: with premultiplied channels c' = c a / 255, the result is c' + (255 - a).
    const QImage premultiplied = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(picture.size(), QImage::Format_BGR888);
    for (int y = 0; y < out.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = src[x];
            const int white = 255 - qAlpha(p);
            dst[3 * x] = static_cast<uchar>(qBlue(p) + white);
            dst[3 * x + 1] = static_cast<uchar>(qGreen(p) + white);
            dst[3 * x + 2] = static_cast<uchar>(qRed(p) + white);
        }
    }
    return out;
}

void writeBmp24(const QImage& picture, int fd, const QString& path)
{
    if (picture.isNull())
        throw RuntimeError(kInvalidPicture, named(path, QStringLiteral("保存する画像がありません")));
    const int width = picture.width();
    const int height = picture.height();
    // Rows go out bottom-up in strips of about 4 MiB, each converted on its own, so that a large
    // picture is never held twice.
    const int bandRows = std::max(1, int((4 << 20) / (std::int64_t(width) * 3)));
    try {
        bmp24::FdStripSink sink(fd, std::max<std::size_t>(4u << 20, bmp24::kHeaderSize + std::size_t(bmp24::stride(width))));
        bmp24::RowWriter rows(sink, width, height);
        for (int end = height; end > 0; end -= bandRows) {
            const int first = std::max(0, end - bandRows);
            const QImage band = picture.format() == QImage::Format_BGR888
                ? picture
                : toBgr888(picture.copy(0, first, width, end - first));
            const int offset = band.height() == height ? 0 : first;
            for (int y = end - 1; y >= first; --y)
                std::memcpy(rows.nextRow(), band.constScanLine(y - offset), static_cast<std::size_t>(width) * 3);
        }
        rows.finish();
    } catch (const std::system_error& e) {
        throw fileError(e, path);
    }
}

void savePictureBmp24(const QImage& picture, const QString& path)
{
    const int fd = fs::createExclusive(nativePathString(path), 0600);
    if (fd < 0)
        throw fileError(errno, path);
    try {
        writeBmp24(picture, fd, path);
    } catch (...) {
        ::close(fd);
        ::unlink(toNativePath(path).constData());
        throw;
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(toNativePath(path).constData());
        throw fileError(err, path);
    }
}

} // namespace platform
