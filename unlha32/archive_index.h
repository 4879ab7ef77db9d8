#pragma once
// Our own walk over the member headers of an LHA archive (levels 0 to 3, from LHarc 1.x to
// LHa for UNIX's level 3, with the quirks of the writers people really used). It reads no
// data: it finds every member, checks each header's checksum or CRC and that every member's
// data lies inside the file, and turns the stored names into UTF-8.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "unlha32/archive_file.h"

namespace unlha {

struct IndexedMember {
    std::uint64_t headerOffset = 0;
    std::uint64_t dataOffset = 0;
    std::uint64_t packed = 0;
    std::uint64_t original = 0;
    std::string method;       // e.g. "-lh5-"
    int level = 0;
    std::uint16_t crc = 0;
    bool hasCrc = true;       // the oldest level-0 headers carry none
    std::uint8_t os = 0;
    std::string name;         // last path component, UTF-8 where the charset is known
    std::string folder;       // folder part, '/'-separated
    std::string comment;      // a file comment stored after a NUL in the name (Amiga, MorphOS)
    std::int64_t mtime = 0;   // Unix seconds
    bool directory = false;   // -lhd-, or an empty member named with a trailing separator
    bool link = false;        // a symbolic link: LHa for UNIX stores it as a -lhd- member "name|target"
    std::string linkTarget;   // what the link names, as stored (never followed here)
    bool isDirectory() const { return directory; }
    bool isLink() const { return link; }
    std::string path() const { return folder.empty() || name.empty() ? folder + name : folder + "/" + name; }
};

struct ArchiveIndex {
    enum class Status { Ok, NotLha, Damaged };
    Status status = Status::Ok;
    std::string problem;      // what is wrong, for the report (empty when Ok)
    std::vector<IndexedMember> members;

    // Records what is wrong; false, for a reader to return.
    bool fail(Status s, const char* what)
    {
        status = s;
        problem = what;
        return false;
    }
};

// How far into a file a self-extractor's stub may push the first header.
constexpr std::size_t kStubScanLimit = 256 * 1024;

ArchiveIndex indexArchive(const ByteSource& source);
ArchiveIndex indexArchive(std::span<const std::uint8_t> bytes);

} // namespace unlha
