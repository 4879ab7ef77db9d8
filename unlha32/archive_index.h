#pragma once
// Our own walk over the member headers of an LHA archive (levels 0 to 3, from LHarc 1.x to
// LHa for UNIX's level 3). It reads no data: it finds every member, checks each header's
// checksum or CRC and that every member's data lies inside the file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace unlha {

struct IndexedMember {
    std::size_t headerOffset = 0;
    std::size_t dataOffset = 0;
    std::uint64_t packed = 0;
    std::uint64_t original = 0;
    std::string method;       // e.g. "-lh5-"
    int level = 0;
    std::uint16_t crc = 0;
    bool hasCrc = true;       // the oldest level-0 headers carry none
    std::uint8_t os = 0;
    std::string name;         // file name bytes as stored
    std::string folder;       // folder part, '/'-separated, as stored
    std::int64_t mtime = 0;   // Unix seconds
    // Folders and links carry no data; LHa for UNIX stores a link as "name|target".
    bool isDirectory() const { return method == "-lhd-"; }
    bool isLink() const { return isDirectory() && name.find('|') != std::string::npos; }
};

struct ArchiveIndex {
    enum class Status { Ok, NotLha, Damaged };
    Status status = Status::Ok;
    std::string problem;      // what is wrong, for the report (empty when Ok)
    std::vector<IndexedMember> members;
};

ArchiveIndex indexArchive(std::span<const std::uint8_t> bytes);

// The part of a stored name after its last folder separator ('/' or '\'); a '\' that is the
// second byte of a Shift-JIS character is not a separator.
std::string bareName(const std::string& storedName);

} // namespace unlha
