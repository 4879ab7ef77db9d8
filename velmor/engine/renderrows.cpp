#include "velmor/engine/renderrows.h"

#include <algorithm>
#include <cstddef>

namespace engine {
namespace {
// Pixels between two yield checks: a few microseconds of work, far below the 10 ms slice.
constexpr int kPixelsPerYield = 4096;
}

void renderRows(const RenderTable& table, int width, int height,
    const std::function<const std::uint8_t*(int)>& source, const std::function<std::uint8_t*(int)>& target,
    const RenderHooks& hooks)
{
    auto yieldPoint = [&] {
        if (hooks.yield)
            hooks.yield();
        if (hooks.cancelled && hooks.cancelled())
            throw RenderCancelled{};
    };
    for (int y = 1; y <= height; ++y) {
        const std::uint8_t* src = source(y);
        std::uint8_t* dst = target(y);
        for (int x = 0; x < width; x += kPixelsPerYield) {
            const int n = std::min(kPixelsPerYield, width - x);
            table.renderPixels(src + std::size_t(x) * 3, dst + std::size_t(x) * 3, n);
            yieldPoint();
        }
        if (hooks.step)
            hooks.step();
        yieldPoint();
    }
}

} // namespace engine
