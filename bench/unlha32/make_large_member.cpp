// Writes an LHA archive holding one stored member of the given size, streamed piece by piece,
// with its sizes in extension 0x42 when they pass 4 GiB (as MorphOS LHA writes them):
//   make_large_member ARCHIVE SIZE_MIB
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_large_member ARCHIVE SIZE_MIB\n");
        return 2;
    }
    const std::uint64_t size = std::strtoull(argv[2], nullptr, 10) << 20;
    std::vector<std::uint8_t> piece(1 << 20);
    for (std::size_t i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13); // not all one byte
    // The CRC first: every piece is the same, but the sum runs over all of them.
    std::uint16_t crc = 0;
    for (std::uint64_t done = 0; done < size; done += piece.size())
        crc = unlha::crc16(piece.data(), piece.size(), crc);
    const auto header = unlha::level2Header({"large.bin", "-lh0-", size, size, 1704164646, crc, 'U'});
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f)
        return 1;
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
    for (std::uint64_t done = 0; ok && done < size; done += piece.size())
        ok = std::fwrite(piece.data(), 1, piece.size(), f) == piece.size();
    ok = ok && std::fputc(0, f) == 0;
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
