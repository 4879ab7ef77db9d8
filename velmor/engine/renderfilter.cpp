#include "velmor/engine/renderfilter.h"

#include "platform/errors.h"
#include "velmor/engine/outputfile.h"
#include "velmor/engine/render.h"

namespace engine {

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

    renderRows(table, width, height, [&](int y) { return grid.row(y); }, [&](int) { return output.nextRow(); },
        hooks);
    output.close();
    return {output.scratchPath(), output.outputPath()};
}

} // namespace engine
