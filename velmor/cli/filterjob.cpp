#include "velmor/cli/filterjob.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/picture.h"
#include "velmor/engine/render.h"
#include "velmor/engine/renderfilter.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kStripBytes = 1u << 20;

// A file mapped for reading, unmapped and closed when done.
class MappedBitmap : public Source {
public:
    ~MappedBitmap() override
    {
        if (data_)
            ::munmap(const_cast<std::uint8_t*>(data_), size_);
        if (fd_ >= 0)
            ::close(fd_);
    }
    // False when the file is not a complete plain 24-bit bottom-up bitmap within the size limit.
    bool open(const QString& input)
    {
        fd_ = platform::fs::openRegularForReading(QFile::encodeName(input).toStdString()); // never waits on a pipe
        struct stat st {};
        std::uint8_t head[platform::bmp24::kHeaderSize];
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)
            || ::pread(fd_, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head))
            return false;
        const auto layout = platform::bmp24::parseHeader(head, sizeof head);
        if (!layout || layout->width > engine::kMaxRenderSide || layout->height > engine::kMaxRenderSide
            || std::int64_t(st.st_size) < platform::bmp24::fileSize(layout->width, layout->height))
            return false;
        void* mapped = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, 0);
        if (mapped == MAP_FAILED)
            return false;
        data_ = static_cast<const std::uint8_t*>(mapped);
        size_ = std::size_t(st.st_size);
        width_ = layout->width;
        height_ = layout->height;
        stride_ = std::size_t(platform::bmp24::stride(width_));
        return true;
    }
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) const override
    {
        return data_ + platform::bmp24::kHeaderSize + std::size_t(y - 1) * stride_;
    }

private:
    int fd_ = -1;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
};

class PictureSource : public Source {
public:
    explicit PictureSource(const QImage& picture) : picture_(platform::toBgr888(picture)) {}
    int width() const override { return picture_.width(); }
    int height() const override { return picture_.height(); }
    const std::uint8_t* row(int y) const override { return picture_.constScanLine(picture_.height() - y); }

private:
    QImage picture_;
};

} // namespace

std::unique_ptr<Source> openSource(const QString& input)
{
    auto mapped = std::make_unique<MappedBitmap>();
    if (mapped->open(input))
        return mapped;
    return sourceFromImage(platform::loadPicture(input)); // decodes, or refuses with a reason
}

std::unique_ptr<Source> sourceFromImage(const QImage& picture)
{
    return std::make_unique<PictureSource>(picture);
}

// The header and the tinted rows, bottom row first, in strips; a strip is written while the next
// one is rendered.
void writeFilteredBitmap(const Source& source, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop)
{
    const int width = source.width(), height = source.height();
    engine::checkRenderSize(width, height);
    const engine::RenderTable table(color);
    const auto stride = static_cast<std::size_t>(platform::bmp24::stride(width));
    const int rowsPerStrip = static_cast<int>(std::max<std::size_t>(1, kStripBytes / stride));

    try {
        platform::fs::AtomicFile file(QFile::encodeName(output).toStdString());
        const auto header = platform::bmp24::header(width, height);
        file.write(header.data(), header.size());
        platform::fs::OverlappedWriter writer(file, std::size_t(rowsPerStrip) * stride);
        for (int y = 1; y <= height;) {
            if (stop.load(std::memory_order_relaxed))
                throw Stopped{};
            const int rows = std::min(rowsPerStrip, height - y + 1);
            std::uint8_t* strip = writer.buffer();
            for (int r = 0; r < rows; ++r) {
                std::uint8_t* row = strip + std::size_t(r) * stride;
                table.renderPixels(source.row(y + r), row, width);
                std::fill(row + 3 * std::size_t(width), row + stride, std::uint8_t{0});
            }
            writer.submit(std::size_t(rows) * stride);
            y += rows;
        }
        writer.finish();
        // The rename makes the output whole or absent; flushing every file to disk is left to the
        // kernel, as batch tools do.
        file.commit(false);
    } catch (const std::system_error& e) {
        throw platform::fileError(e, output);
    }
}

QImage filteredPicture(const Source& source, engine::ColorValue color)
{
    engine::checkRenderSize(source.width(), source.height());
    const engine::RenderTable table(color);
    QImage picture(source.width(), source.height(), QImage::Format_BGR888);
    if (picture.isNull())
        throw platform::RuntimeError(platform::kOutOfMemory, QStringLiteral("メモリが足りません"));
    for (int y = 1; y <= source.height(); ++y)
        table.renderPixels(source.row(y), picture.scanLine(source.height() - y), source.width());
    return picture;
}

} // namespace cli
