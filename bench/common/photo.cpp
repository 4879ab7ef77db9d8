// Picture generator: a sky and ground gradient, a sun, hills and shaded blocks, a gentle
// ripple in the light, and per-channel noise from a fixed-seed generator.
#include "bench/common/photo.h"

#include <algorithm>
#include <cmath>

#include "platform/bmp24.h"

namespace bench {
namespace {

struct Rgb {
    float r, g, b;
};

Rgb mix(Rgb a, Rgb b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint8_t clampByte(float v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
}

} // namespace

std::vector<std::uint8_t> makePhotoBmp(int width, int height, int grain)
{
    namespace bmp = platform::bmp24;
    const auto head = bmp::header(width, height);
    const auto stride = static_cast<std::size_t>(bmp::stride(width));
    std::vector<std::uint8_t> file(head.size() + stride * static_cast<std::size_t>(height), 0);
    std::copy(head.begin(), head.end(), file.begin());

    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    // Light varies slowly across the picture; the tables keep sin() out of the pixel loop.
    std::vector<float> rippleX(width), rippleY(height);
    for (int x = 0; x < width; ++x)
        rippleX[x] = 6.0f * std::sin(x / w * 17.0f) + 3.0f * std::sin(x / w * 53.0f);
    for (int y = 0; y < height; ++y)
        rippleY[y] = 5.0f * std::sin(y / h * 11.0f) + 2.0f * std::cos(y / h * 41.0f);

    std::uint32_t seed = 0x9E3779B9u;
    const auto span = static_cast<std::uint32_t>(2 * grain + 1);
    auto noise = [&seed, span, grain] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return static_cast<float>(static_cast<int>(seed % span) - grain); // -grain..grain
    };
    const Rgb skyTop{40, 90, 190}, skyLow{200, 215, 235}, grass{60, 120, 40}, soil{110, 85, 50};
    const float sunX = 0.72f * w, sunY = 0.25f * h, sunR = 0.08f * std::min(w, h);

    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row; // bottom-up: the first stored row is the picture's last
        std::uint8_t* out = file.data() + head.size() + stride * static_cast<std::size_t>(row);
        const float fy = static_cast<float>(y);
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x);
            const float horizon = h * (0.55f + 0.06f * std::sin(fx / w * 6.3f) + 0.03f * std::sin(fx / w * 19.0f));
            Rgb c;
            if (fy < horizon) {
                c = mix(skyTop, skyLow, fy / horizon);
                const float d = std::hypot(fx - sunX, fy - sunY) / sunR;
                if (d < 3.0f)
                    c = mix(c, Rgb{255, 240, 200}, d < 1.0f ? 1.0f : (3.0f - d) / 2.0f * 0.6f);
            } else {
                c = mix(grass, soil, (fy - horizon) / (h - horizon + 1.0f));
            }
            // Shaded blocks: houses in the middle distance.
            const int bx = x / std::max(1, width / 12);
            if (bx % 3 == 1 && fy > horizon - h * 0.12f * (1 + bx % 2) && fy < horizon + h * 0.05f) {
                const float shade = 0.6f + 0.4f * ((x % std::max(1, width / 12)) / (w / 12.0f));
                c = Rgb{170 * shade, 150 * shade, 140 * shade};
            }
            const float light = rippleX[x] + rippleY[y];
            out[3 * x + 0] = clampByte(c.b + light + noise());
            out[3 * x + 1] = clampByte(c.g + light + noise());
            out[3 * x + 2] = clampByte(c.r + light + noise());
        }
    }
    return file;
}

} // namespace bench
