// make_photo OUT.bmp WIDTH HEIGHT [GRAIN]: writes the benchmarks' photo-like 24-bit BMP (GRAIN:
// the noise per channel, default 3; 0 for a smooth picture).
#include <cstdio>
#include <cstdlib>

#include "bench/common/photo.h"

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: make_photo OUT.bmp WIDTH HEIGHT [GRAIN]\n");
        return 2;
    }
    const long width = std::strtol(argv[2], nullptr, 10);
    const long height = std::strtol(argv[3], nullptr, 10);
    if (width < 1 || height < 1 || width > 30000 || height > 30000) {
        std::fprintf(stderr, "make_photo: WIDTH and HEIGHT must be 1..30000\n");
        return 2;
    }
    const long grain = argc == 5 ? std::strtol(argv[4], nullptr, 10) : 3;
    if (grain < 0 || grain > 100) {
        std::fprintf(stderr, "make_photo: GRAIN must be 0..100\n");
        return 2;
    }
    const auto bmp = bench::makePhotoBmp(static_cast<int>(width), static_cast<int>(height), static_cast<int>(grain));
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
