#pragma once
// The readers the archiver used before it had its own -lh5- decoder, kept as independent judges
// of ours in the tests and the fuzz targets: libarchive (what bsdtar runs) and liblhasa (what
// lhasa runs). Never part of the library.

#include <cstdint>
#include <span>
#include <vector>

namespace unlha::fuzz {

struct ReaderResult {
    enum Status {
        Ok,       // the header's size came out and its CRC matched
        BadCrc,   // the reader raised no error and the size came out, but the CRC differs
        Failed,   // the reader refused the data, or another size came out
    };
    Status status = Failed;
    std::vector<std::uint8_t> bytes;
};

// A one-member level-2 archive around packed data, as a reader sees a member of ours.
std::vector<std::uint8_t> archiveAround(std::span<const std::uint8_t> packed, const char* method,
                                        std::uint64_t original, std::uint16_t crc);

// The first member of an archive in memory.
ReaderResult readWithLibarchive(std::span<const std::uint8_t> archive);
ReaderResult readWithLhasa(std::span<const std::uint8_t> archive);

} // namespace unlha::fuzz
