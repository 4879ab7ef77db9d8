#include "velmor/engine/renderfilter.h"

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "velmor/engine/outputfile.h"
#include "velmor/engine/render.h"

#include <algorithm>

namespace engine {
namespace {
// Pixels between two yield checks: a few microseconds of work, far below the 10 ms slice.
constexpr int kPixelsPerYield = 4096;
}

void checkRenderSize(int width, int height)
{
    if (width > kMaxRenderSide || height > kMaxRenderSide || width < 0 || height < 0)
        throw platform::RuntimeError(platform::kOverflow,
            QStringLiteral("オーバーフローしました (画像は縦横とも %1 ピクセルまでです)。").arg(kMaxRenderSide));
}

RenderedFiles renderFilter(const SourcePixels& grid, int width, int height, ColorValue filterColor,
    const QString& tempFolder, const RenderHooks& hooks)
{
    checkRenderSize(width, height);
    if (std::size_t(width) * std::size_t(height) * 3 > grid.bytes.size())
        throw platform::RuntimeError(platform::kSubscriptOutOfRange,
            QStringLiteral("元画像の大きさと画素データが合いません。"));

    const RenderTable table(filterColor);
    OutputBitmap output(tempFolder, width, height);

    const auto stride = static_cast<std::size_t>(platform::bmp24::stride(width));
    auto yieldPoint = [&] {
        if (hooks.yield)
            hooks.yield();
        if (hooks.cancelled && hooks.cancelled())
            throw RenderCancelled{};
    };

    for (int y = 1; y <= height; ++y) {
        const std::uint8_t* src = grid.row(y);
        std::uint8_t* row = output.appendInPlace(stride);
        std::fill(row + std::size_t(width) * 3, row + stride, std::uint8_t{0});
        for (int x = 0; x < width; x += kPixelsPerYield) {
            const int n = std::min(kPixelsPerYield, width - x);
            table.renderPixels(src + std::size_t(x) * 3, row + std::size_t(x) * 3, n);
            yieldPoint();
        }
        if (hooks.step)
            hooks.step();
        yieldPoint();
    }
    output.close();
    return {output.scratchPath(), output.outputPath()};
}

} // namespace engine
