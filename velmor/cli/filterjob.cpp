#include "velmor/cli/filterjob.h"

#include "velmor/cli/streamedbitmap.h"

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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kStripBytes = 1u << 20;

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
    if (auto bitmap = openStreamedBitmap(input))
        return bitmap;
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
