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
#include <future>
#include <optional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cli {
namespace {

using RowSource = std::function<const std::uint8_t*(int y)>; // grid row y, 1 = bottom

constexpr std::size_t kStripBytes = 4u << 20;

// Writes the header and the tinted rows, bottom row first, in strips. A strip is written on a
// second thread while the next one is rendered, so the two cores share the work.
void writeBitmap(const QString& output, int width, int height, engine::ColorValue color, const RowSource& row,
    const std::atomic<bool>& stop)
{
    engine::checkRenderSize(width, height);
    const engine::RenderTable table(color);
    const auto stride = static_cast<std::size_t>(platform::bmp24::stride(width));
    const int rowsPerStrip = static_cast<int>(std::max<std::size_t>(1, kStripBytes / stride));
    std::vector<std::uint8_t> strips[2]; // padding stays zero
    strips[0].assign(std::size_t(rowsPerStrip) * stride, 0);
    strips[1].assign(std::size_t(rowsPerStrip) * stride, 0);

    const std::string target = QFile::encodeName(output).toStdString();
    try {
        platform::fs::AtomicFile file(target);
        const auto header = platform::bmp24::header(width, height);
        file.write(header.data(), header.size());
        std::future<void> writing;
        int current = 0;
        for (int y = 1; y <= height;) {
            if (stop.load(std::memory_order_relaxed))
                throw Stopped{};
            const int rows = std::min(rowsPerStrip, height - y + 1);
            std::uint8_t* strip = strips[current].data();
            for (int r = 0; r < rows; ++r)
                table.renderPixels(row(y + r), strip + std::size_t(r) * stride, width);
            if (writing.valid())
                writing.get();
            writing = std::async(std::launch::async, [&file, strip, bytes = std::size_t(rows) * stride] {
                file.write(strip, bytes);
            });
            current ^= 1;
            y += rows;
        }
        if (writing.valid())
            writing.get();
        // The rename makes the output whole or absent; flushing every file to disk is left to the
        // kernel, as batch tools do.
        file.commit(false);
    } catch (const std::system_error& e) {
        throw platform::fileError(e, output);
    }
}

// A file mapped for reading, unmapped and closed when done.
struct MappedFile {
    int fd = -1;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    ~MappedFile()
    {
        if (data)
            ::munmap(const_cast<std::uint8_t*>(data), size);
        if (fd >= 0)
            ::close(fd);
    }
};

// A plain 24-bit bottom-up bitmap needs no decoding: its rows are the grid rows already.
bool filterPlainBitmap(const QString& input, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop)
{
    MappedFile in;
    in.fd = ::open(QFile::encodeName(input).constData(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        return false; // the general path reports it
    struct stat st {};
    std::uint8_t head[platform::bmp24::kHeaderSize];
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)
        || ::pread(in.fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head))
        return false;
    const auto layout = platform::bmp24::parseHeader(head, sizeof head);
    if (!layout || layout->width > engine::kMaxRenderSide || layout->height > engine::kMaxRenderSide
        || std::int64_t(st.st_size) < platform::bmp24::fileSize(layout->width, layout->height))
        return false; // the general path decodes or refuses it with a reason
    in.size = static_cast<std::size_t>(st.st_size);
    void* mapped = ::mmap(nullptr, in.size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, in.fd, 0);
    if (mapped == MAP_FAILED)
        return false;
    in.data = static_cast<const std::uint8_t*>(mapped);

    const auto stride = static_cast<std::size_t>(platform::bmp24::stride(layout->width));
    writeBitmap(output, layout->width, layout->height, color,
        [&](int y) { return in.data + platform::bmp24::kHeaderSize + std::size_t(y - 1) * stride; }, stop);
    return true;
}

} // namespace

void filterToBitmap(const QString& input, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop)
{
    if (filterPlainBitmap(input, output, color, stop))
        return;
    const QImage picture = platform::toBgr888(platform::loadPicture(input));
    const int height = picture.height();
    writeBitmap(output, picture.width(), height, color,
        [&](int y) { return picture.constScanLine(height - y); }, stop);
}

} // namespace cli
