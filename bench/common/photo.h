#pragma once
// A deterministic photo-like picture for benchmarks and large tests: smooth gradients and soft
// shapes with mild noise, so it compresses like a real photograph rather than flat colour or noise.

#include <cstdint>
#include <vector>

namespace bench {

// The whole 24-bit bottom-up BMP file (54-byte header, padded rows) for a width x height picture;
// grain is the largest noise step per channel (0: none, a smooth picture).
std::vector<std::uint8_t> makePhotoBmp(int width, int height, int grain = 3);

} // namespace bench
