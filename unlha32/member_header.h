#pragma once
// One member header of an LHA archive, read and checked: levels 0 to 3, from LHarc 1.x to LHa
// for UNIX's level 3, with the quirks of the writers people really used. It reads no data.

#include <cstdint>
#include <vector>

#include "unlha32/archive_file.h"
#include "unlha32/archive_index.h"

namespace unlha {

// Reads n bytes at `at` into out: false when they lie past the end of the source, or when the
// source cannot give them any more (recorded in index as damage).
bool readHeaderBytes(const ByteSource& src, std::uint64_t at, std::size_t n, std::vector<std::uint8_t>& out,
                     ArchiveIndex& index);

// Reads the member header at pos, checks its checksum or CRC and that the member's data lies
// inside the source, and appends the member to index; nextPos is where the next header begins.
// False with index's status and problem set when the header does not check out: NotLha while
// index holds no member yet (the bytes may be no archive at all), Damaged after.
bool readMemberHeader(const ByteSource& src, std::uint64_t pos, ArchiveIndex& index, std::uint64_t& nextPos);

} // namespace unlha
