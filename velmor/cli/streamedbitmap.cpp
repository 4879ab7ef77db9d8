#include "velmor/cli/streamedbitmap.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "velmor/engine/render.h"

#include <future>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kStripBytes = 4u << 20;

// Rows in strips; while the caller works on one strip the next is read on a second thread, so that
// reading costs about what a mapping would.
class StreamedBitmap : public Source {
public:
    StreamedBitmap(QString input, int fd, int width, int height)
        : input_(std::move(input)), fd_(fd), width_(width), height_(height),
          stride_(std::size_t(platform::bmp24::stride(width))),
          rowsPerStrip_(int(std::max<std::size_t>(1, kStripBytes / stride_)))
    {
        for (Strip& s : strips_)
            s.bytes.resize(std::size_t(rowsPerStrip_) * stride_);
    }
    ~StreamedBitmap() override
    {
        if (ahead_.valid())
            ahead_.wait(); // its failure does not matter any more
        ::close(fd_);
    }
    int width() const override { return width_; }
    int height() const override { return height_; }
    const std::uint8_t* row(int y) const override
    {
        // Rows come bottom up for a bitmap and top down for the other formats: the strip read
        // and the one read ahead follow the way the rows are asked for.
        const bool down = y < last_;
        last_ = y;
        if (!strips_[current_].holds(y)) {
            if (ahead_.valid()) {
                ahead_.get(); // throws what the read ahead met
                current_ ^= 1;
            }
            if (!strips_[current_].holds(y))
                read(strips_[current_], down ? std::max(1, y - rowsPerStrip_ + 1) : y); // rows asked for out of order
            const Strip& s = strips_[current_];
            const int next = down ? std::max(1, s.first - rowsPerStrip_) : s.first + s.rows;
            if (down ? s.first > 1 : next <= height_)
                ahead_ = std::async(std::launch::async, [this, other = current_ ^ 1, next] { read(strips_[other], next); });
        }
        const Strip& s = strips_[current_];
        return s.bytes.data() + std::size_t(y - s.first) * stride_;
    }

private:
    struct Strip {
        std::vector<std::uint8_t> bytes;
        int first = 0, rows = 0;
        bool holds(int y) const { return y >= first && y < first + rows; }
    };

    // Reads the strip of rows that starts at row y.
    void read(Strip& strip, int y) const
    {
        strip.rows = 0;
        const int rows = std::min(rowsPerStrip_, height_ - y + 1);
        bool complete = false;
        try {
            complete = platform::bmp24::RowReader(fd_, width_).read(y, rows, strip.bytes.data(), stride_);
        } catch (const std::system_error& e) {
            throw platform::fileError(e, input_);
        }
        if (!complete)
            throw platform::RuntimeError(platform::kInvalidPicture,
                QStringLiteral("%1: 読んでいる間にファイルが短くなりました").arg(input_));
        strip.first = y;
        strip.rows = rows;
    }

    QString input_;
    int fd_;
    int width_, height_;
    std::size_t stride_;
    int rowsPerStrip_;
    mutable Strip strips_[2];
    mutable int current_ = 0;
    mutable int last_ = height_ + 1; // the row asked for last
    mutable std::future<void> ahead_; // reading the other strip
};

} // namespace

std::unique_ptr<Source> openStreamedBitmap(const QString& input)
{
    const int fd = platform::fs::openRegularForReading(platform::nativePathString(input)); // never waits on a pipe
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
