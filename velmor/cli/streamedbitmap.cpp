#include "velmor/cli/streamedbitmap.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "velmor/engine/render.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kStripBytes = 4u << 20;

class StreamedBitmap : public Source {
public:
    StreamedBitmap(QString input, int fd, int width, int height)
        : input_(std::move(input)), fd_(fd), width_(width), height_(height),
          stride_(std::size_t(platform::bmp24::stride(width))),
          rowsPerStrip_(int(std::max<std::size_t>(1, kStripBytes / stride_))),
          strip_(std::size_t(rowsPerStrip_) * stride_)
    {
    }
    ~StreamedBitmap() override { ::close(fd_); }
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) const override
    {
        if (y < first_ || y >= first_ + rows_)
            fill(y);
        return strip_.data() + std::size_t(y - first_) * stride_;
    }

private:
    // Reads the strip of rows that starts at row y.
    void fill(int y) const
    {
        const int rows = std::min(rowsPerStrip_, height_ - y + 1);
        const std::size_t want = std::size_t(rows) * stride_;
        const off_t at = off_t(platform::bmp24::kHeaderSize) + off_t(y - 1) * off_t(stride_);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::pread(fd_, strip_.data() + got, want - got, at + off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw platform::fileError(errno, input_);
            if (n == 0)
                throw platform::RuntimeError(platform::kInvalidPicture,
                    QStringLiteral("%1: 読んでいる間にファイルが短くなりました").arg(input_));
            got += std::size_t(n);
        }
        first_ = y;
        rows_ = rows;
    }

    QString input_;
    int fd_;
    int width_, height_;
    std::size_t stride_;
    int rowsPerStrip_;
    mutable std::vector<std::uint8_t> strip_;
    mutable int first_ = 0, rows_ = 0;
};

} // namespace

std::unique_ptr<Source> openStreamedBitmap(const QString& input)
{
    const int fd = platform::fs::openRegularForReading(QFile::encodeName(input).toStdString()); // never waits on a pipe
    if (fd < 0)
        return nullptr;
    struct stat st {};
    std::uint8_t head[platform::bmp24::kHeaderSize];
    const auto layout = ::fstat(fd, &st) == 0 && ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head)
        ? platform::bmp24::parseHeader(head, sizeof head)
        : std::nullopt;
    if (!layout || layout->width > engine::kMaxRenderSide || layout->height > engine::kMaxRenderSide
        || std::int64_t(st.st_size) < platform::bmp24::fileSize(layout->width, layout->height)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<StreamedBitmap>(input, fd, layout->width, layout->height);
}

} // namespace cli
