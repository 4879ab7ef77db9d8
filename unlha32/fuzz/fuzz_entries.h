#pragma once
// What the fuzz targets run on each input; the tests replay the saved corpus through the same
// functions, so a crash found once stays covered.

#include <cstddef>
#include <cstdint>

namespace unlha::fuzz {

// Treats the bytes as an archive: index it, decode every member, list it.
int readArchive(const std::uint8_t* data, std::size_t size);

// Treats the bytes as -lh5- family data (the first byte picks -lh5-, -lh6- or -lh7-, the next two
// the size it decodes to) for our decoder and libarchive; where libarchive refuses what ours
// reads, liblhasa must read the same bytes. Aborts on any other disagreement.
int compareDecoders(const std::uint8_t* data, std::size_t size);

// Treats the bytes as a command line: parse it, and check that joining its words splits back
// into the same words.
int parseLine(const std::uint8_t* data, std::size_t size);

} // namespace unlha::fuzz
