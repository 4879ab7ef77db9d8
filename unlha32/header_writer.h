#pragma once
// Member headers as this archiver writes them: level 2 (LHA 2.x's newest, read by every tool
// since), the level that keeps a name of any length and a time stamp in UTC.

#include <cstdint>
#include <string>
#include <vector>

namespace unlha {

struct NewMember {
    std::string name;          // bare file name, the bytes to store
    const char* method;        // "-lh5-" or "-lh0-"
    std::uint64_t packed;      // data bytes that follow the header
    std::uint64_t original;    // size of the file
    std::uint32_t mtime;       // Unix seconds, UTC
    std::uint16_t crc;         // CRC-16 of the file's bytes
    char os = 'M';             // 'M': the name is in code page 932; 'U': in UTF-8
};

// Longest name a level-2 header can carry.
constexpr std::size_t kMaxNameLength = 65535 - 60;

// The complete header; its length is never a multiple of 256, whose low byte 0 would read as
// the end of the archive. Sizes past 4 GiB go into extension 0x42 as well.
std::vector<std::uint8_t> level2Header(const NewMember& member);

} // namespace unlha
