// make_photo OUT.bmp WIDTH HEIGHT: writes the benchmarks' photo-like 24-bit BMP.
#include <cstdio>
#include <cstdlib>

#include "bench/common/photo.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_photo OUT.bmp WIDTH HEIGHT\n");
        return 2;
    }
    const long width = std::strtol(argv[2], nullptr, 10);
    const long height = std::strtol(argv[3], nullptr, 10);
    if (width < 1 || height < 1 || width > 30000 || height > 30000) {
        std::fprintf(stderr, "make_photo: WIDTH and HEIGHT must be 1..30000\n");
        return 2;
    }
    const auto bmp = bench::makePhotoBmp(static_cast<int>(width), static_cast<int>(height));
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
