#include "platform/formats/picturefile.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace formats {
namespace {

constexpr std::size_t kBandBytes = 1u << 20;

template <typename Call>
auto namingFile(const QString& path, Call&& call)
{
    try {
        return call();
    } catch (const std::system_error& e) {
        throw platform::fileError(e, path);
    }
}

} // namespace

PictureFile::PictureFile(const QString& destination, Format format, int width, int height,
    const PhotoMetadata& metadata, const WriteOptions& options)
    : destination_(destination)
{
    if (const QString problem = sizeProblem(format, width, height); !problem.isEmpty())
        throw platform::RuntimeError(platform::kInvalidArgument, QStringLiteral("%1: %2").arg(platform::shownPath(destination), problem));
    namingFile(destination_, [&] {
        file_ = std::make_unique<platform::fs::AtomicFile>(platform::nativePathString(destination));
        writer_ = makePictureWriter(format, *file_, width, height, metadata, options);
    });
}

PictureFile::~PictureFile() = default;

void PictureFile::writeRow(const std::uint8_t* bgr)
{
    namingFile(destination_, [&] { writer_->writeRow(bgr); });
}

void PictureFile::commit(bool durable)
{
    namingFile(destination_, [&] {
        writer_->finish();
        writer_.reset();
        file_->commit(durable);
    });
}

void writeBitmapAs(const QString& bitmapPath, const QString& destination, Format format,
    const PhotoMetadata& sourceMetadata, const WriteOptions& options)
{
    const int fd = platform::fs::openRegularForReading(platform::nativePathString(bitmapPath));
    if (fd < 0)
        throw platform::fileError(errno, bitmapPath);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    std::uint8_t head[platform::bmp24::kHeaderSize];
    const auto layout = ::pread(fd, head, sizeof head, 0) == ssize_t(sizeof head)
        ? platform::bmp24::parseHeader(head, sizeof head)
        : std::nullopt;
    if (!layout)
        throw platform::RuntimeError(platform::kInvalidPicture,
            QStringLiteral("%1: 24 ビットのビットマップではありません").arg(platform::shownPath(bitmapPath)));

    const int width = layout->width, height = layout->height;
    PictureFile file(destination, format, width, height, metadataForOutput(sourceMetadata, width, height), options);
    // Bands of rows from the top; the file keeps them bottom-up, so each band is read in one go
    // and handed over in reverse.
    const auto stride = std::size_t(platform::bmp24::stride(width));
    const int bandRows = int(std::max<std::size_t>(1, kBandBytes / stride));
    std::vector<std::uint8_t> band(std::size_t(bandRows) * stride);
    const platform::bmp24::RowReader rows(fd, width);
    for (int top = height; top >= 1; top -= bandRows) {
        const int bottom = std::max(1, top - bandRows + 1);
        const bool complete = namingFile(bitmapPath, [&] { return rows.read(bottom, top - bottom + 1, band.data(), stride); });
        if (!complete)
            throw platform::RuntimeError(platform::kInvalidPicture,
                QStringLiteral("%1: 読んでいる間にファイルが短くなりました").arg(platform::shownPath(bitmapPath)));
        for (int y = top; y >= bottom; --y)
            file.writeRow(band.data() + std::size_t(y - bottom) * stride);
    }
    file.commit(true);
}

} // namespace formats
