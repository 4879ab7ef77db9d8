#include "velmor/cli/filterjob.h"

#include "velmor/cli/streamedbitmap.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "platform/formats/picturefile.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/picturebudget.h"
#include "velmor/engine/render.h"
#include "velmor/engine/renderfilter.h"
#include "velmor/engine/renderrows.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace cli {
namespace {

constexpr std::size_t kStripBytes = 1u << 20;

class PictureSource : public Source {
public:
    explicit PictureSource(const QImage& picture, platform::PictureMemory hold = {})
        : picture_(platform::toBgr888(picture)), hold_(std::move(hold)) {}
    int width() const override { return picture_.width(); }
    int height() const override { return picture_.height(); }
    const std::uint8_t* row(int y) const override { return picture_.constScanLine(picture_.height() - y); }
    std::optional<formats::Resolution> statedResolution() const override { return formats::statedResolution(picture_); }

private:
    QImage picture_;
    platform::PictureMemory hold_; // its share of the run's memory budget
};

// Strips go out on the writer's second thread while the next one is rendered.
class OverlappedSink : public platform::bmp24::StripSink {
public:
    explicit OverlappedSink(platform::fs::OverlappedWriter& writer) : writer_(writer) {}
    std::uint8_t* buffer() override { return writer_.buffer(); }
    std::size_t bufferSize() const override { return writer_.bufferSize(); }
    void submit(std::size_t bytes) override { writer_.submit(bytes); }

private:
    platform::fs::OverlappedWriter& writer_;
};

// The rows gathered into a picture, for an output that takes its bytes only in order; within the
// memory budget, as any picture held whole.
std::unique_ptr<Source> heldWhole(platform::PictureRows& rows)
{
    const std::int64_t bytes = std::int64_t(rows.width()) * rows.height() * 3;
    if (const QString problem = platform::pictureBudgetProblem(0, 0, bytes); !problem.isEmpty())
        throw platform::RuntimeError(platform::kOutOfMemory, problem);
    QImage picture(rows.width(), rows.height(), QImage::Format_BGR888);
    if (picture.isNull())
        throw platform::RuntimeError(platform::kOutOfMemory, QStringLiteral("メモリが足りません"));
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(picture.scanLine(y), rows.nextRow(), std::size_t(rows.width()) * 3);
    rows.finish();
    return sourceFromImage(picture);
}

// Stops the render when stop is raised.
engine::RenderHooks stoppingHooks(const std::atomic<bool>& stop)
{
    engine::RenderHooks hooks;
    hooks.cancelled = [&stop] { return stop.load(std::memory_order_relaxed); };
    return hooks;
}

// Runs write on a new file for output and puts it in output's place when write says it is
// complete: interrupted or failed, output is left as it was.
template <class Write>
void replaceOutput(const QString& output, Write&& write)
{
    try {
        platform::fs::AtomicFile file(platform::nativePathString(output));
        if (!write(file))
            return;
        // The rename makes the output whole or absent; flushing every file to disk is left to the
        // kernel, as batch tools do.
        file.commit(false);
    } catch (const engine::RenderCancelled&) {
        throw Stopped{};
    } catch (const std::system_error& e) {
        throw platform::fileError(e, output);
    }
}

} // namespace

std::unique_ptr<Source> openSource(const QString& input)
{
    if (auto bitmap = openStreamedBitmap(input))
        return bitmap;
    platform::PictureMemory hold; // the -j workers' pictures share one budget
    const QImage picture = platform::loadPicture(input, &hold); // decodes, or refuses with a reason
    return std::make_unique<PictureSource>(picture, std::move(hold));
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
    replaceOutput(output, [&](platform::fs::AtomicFile& file) {
        platform::fs::OverlappedWriter writer(file, std::size_t(rowsPerStrip) * stride);
        OverlappedSink sink(writer);
        platform::bmp24::RowWriter rows(sink, width, height);
        engine::renderRows(table, width, height, [&](int y) { return source.row(y); },
            [&](int) { return rows.nextRow(); }, stoppingHooks(stop));
        rows.finish();
        writer.finish();
        return true;
    });
}

namespace {

// The tinted rows, top row first, to a picture file in format: rendered a band at a time.
// allRead runs after the last row, before the file takes the output's place.
void writeFilteredRows(int width, int height, const std::function<const std::uint8_t*()>& nextRowFromTop,
    const std::function<void()>& allRead, const QString& output, engine::ColorValue color, formats::Format format,
    const formats::PhotoMetadata& metadata, const formats::WriteOptions& options, const std::atomic<bool>& stop)
{
    engine::checkRenderSize(width, height);
    const engine::RenderTable table(color);
    const std::size_t rowBytes = std::size_t(width) * 3;
    const int bandRows = static_cast<int>(std::clamp<std::size_t>(kStripBytes / rowBytes, 1, std::size_t(height)));
    std::vector<std::uint8_t> band(std::size_t(bandRows) * rowBytes);
    const engine::RenderHooks hooks = stoppingHooks(stop);

    formats::PictureFile file(output, format, width, height, formats::metadataForOutput(metadata, width, height), options);
    try {
        for (int left = height; left > 0; left -= bandRows) {
            const int rows = std::min(bandRows, left);
            engine::renderRows(table, width, rows, [&](int) { return nextRowFromTop(); },
                [&](int i) { return band.data() + std::size_t(i - 1) * rowBytes; }, hooks);
            for (int i = 0; i < rows; ++i)
                file.writeRow(band.data() + std::size_t(i) * rowBytes);
        }
    } catch (const engine::RenderCancelled&) {
        throw Stopped{};
    }
    allRead();
    // As for the bitmap, the output is whole or absent; flushing to disk is left to the kernel.
    file.commit(false);
}

} // namespace

void writeFilteredPicture(const Source& source, const QString& output, engine::ColorValue color, formats::Format format,
    const formats::PhotoMetadata& metadata, const formats::WriteOptions& options, const std::atomic<bool>& stop)
{
    // Grid rows count from the bottom: the render walks down the picture from row H.
    int y = source.height();
    writeFilteredRows(source.width(), source.height(), [&] { return source.row(y--); }, [] {}, output, color,
        format, metadata, options, stop);
}

void writeFilteredPicture(platform::PictureRows& rows, const QString& output, engine::ColorValue color,
    formats::Format format, formats::PhotoMetadata metadata, const formats::WriteOptions& options,
    const std::atomic<bool>& stop)
{
    if (!metadata.resolution)
        metadata.resolution = formats::statedResolution(rows.dotsPerMetre().width(), rows.dotsPerMetre().height());
    writeFilteredRows(rows.width(), rows.height(), [&] { return rows.nextRow(); }, [&] { rows.finish(); }, output,
        color, format, metadata, options, stop);
}

void writeFilteredBitmap(platform::PictureRows& rows, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop)
{
    const int width = rows.width(), height = rows.height();
    engine::checkRenderSize(width, height);
    const engine::RenderTable table(color);
    bool placed = true;
    replaceOutput(output, [&](platform::fs::AtomicFile& file) {
        placed = platform::fs::allowsPositionedWrites(file.fd());
        if (!placed) {
            file.discard();
            return false;
        }
        platform::bmp24::TopDownRowWriter writer(file.fd(), width, height, kStripBytes);
        // The render counts grid rows from 1 in the order it is handed them: here from the top.
        engine::renderRows(table, width, height, [&](int) { return rows.nextRow(); },
            [&](int) { return writer.nextRow(); }, stoppingHooks(stop));
        rows.finish();
        writer.finish();
        return true;
    });
    if (!placed)
        writeFilteredBitmap(*heldWhole(rows), output, color, stop);
}

QImage filteredPicture(const Source& source, engine::ColorValue color)
{
    engine::checkRenderSize(source.width(), source.height());
    const engine::RenderTable table(color);
    QImage picture(source.width(), source.height(), QImage::Format_BGR888);
    if (picture.isNull())
        throw platform::RuntimeError(platform::kOutOfMemory, QStringLiteral("メモリが足りません"));
    engine::renderRows(table, source.width(), source.height(), [&](int y) { return source.row(y); },
        [&](int y) { return picture.scanLine(source.height() - y); });
    return picture;
}

} // namespace cli
