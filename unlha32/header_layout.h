#pragma once
// Where the fields of an LHA member header lie, level by level: level 0 of LHarc 1.x, level 1 of
// LHA 2.x, level 2 (LHA 2.x's newest) and level 3 of LHa for UNIX. The header writer and the
// header reader both take their offsets from here; every field is little-endian.

#include <cstddef>
#include <cstdint>

namespace unlha::layout {

// Fields every level keeps in the same place.
inline constexpr std::size_t kMethod = 2;      // "-lh5-" and the like
inline constexpr std::size_t kMethodLength = 5;
inline constexpr std::size_t kPackedSize = 7;  // 32 bits; at level 1 the extended headers count too
inline constexpr std::size_t kOriginalSize = 11;
inline constexpr std::size_t kTime = 15;       // levels 0 and 1: MS-DOS local time; 2 and 3: Unix UTC
inline constexpr std::size_t kAttribute = 19;
inline constexpr std::size_t kLevel = 20;
// Read first: enough for the level and, at levels 0 and 1, the name's length.
inline constexpr std::size_t kCommonLength = 22;

// What levels 1 to 3 keep in the attribute byte (libarchive takes no other value there).
inline constexpr std::uint8_t kArchiveAttribute = 0x20;

// Levels 0 and 1: a base header of at most 257 bytes whose size and checksum come first, and
// the name in it; the fields after the name are counted from its end.
namespace level0 {
inline constexpr std::size_t kSize = 0;        // 1 byte: the bytes after this field and the checksum
inline constexpr std::size_t kChecksum = 1;    // low byte of the sum of those bytes
inline constexpr std::size_t kNameLength = 21; // 1 byte
inline constexpr std::size_t kName = 22;
inline constexpr std::size_t kCrcAfterName = 0;  // CRC-16 of the data, absent from the oldest headers
inline constexpr std::size_t kAreaAfterName = 2; // an optional area; LHa for UNIX's begins with 'U'
inline constexpr std::size_t kUnixTimeAfterName = 4; // in LHa for UNIX's area: Unix seconds
inline constexpr std::size_t kUnixModeAfterName = 8; // then the 16-bit Unix mode (uid, gid after)
inline constexpr std::size_t kUnixAreaLength = 12;
} // namespace level0

// Level 1: the base header of level 0, with the OS id and the first extended header's size
// after the CRC; the extended headers follow the base header and count in the packed size.
namespace level1 {
inline constexpr std::size_t kOsAfterName = 2;
inline constexpr std::size_t kFixedAfterName = 5; // CRC, OS id, first extended header's size
} // namespace level1

// Level 2: a 16-bit length of the whole header, extended headers inside it.
namespace level2 {
inline constexpr std::size_t kLength = 0;
inline constexpr std::size_t kCrc = 21;        // CRC-16 of the data
inline constexpr std::size_t kOs = 23;
inline constexpr std::size_t kFirstExtensionSize = 24; // 16 bits
inline constexpr std::size_t kExtensions = 26;
inline constexpr int kSizeWidth = 2;           // bytes of every extended header's size field
} // namespace level2

// Level 3: level 2 with 32-bit lengths, announced by the word size 4 in the first field.
namespace level3 {
inline constexpr std::size_t kWordSize = 0;    // 16 bits, always 4
inline constexpr std::size_t kCrc = 21;
inline constexpr std::size_t kOs = 23;
inline constexpr std::size_t kLength = 24;     // 32 bits
inline constexpr std::size_t kFirstExtensionSize = 28; // 32 bits
inline constexpr std::size_t kExtensions = 32;
inline constexpr int kSizeWidth = 4;
} // namespace level3

// An extended header: its type, its data, then the size of the next one (0: none follows).
// A size counts all three.
constexpr std::size_t extensionSize(std::size_t dataLength, int sizeWidth = level2::kSizeWidth)
{
    return 1 + dataLength + static_cast<std::size_t>(sizeWidth);
}

// Extended header types.
inline constexpr std::uint8_t kHeaderCrc = 0x00; // CRC-16 of the whole header with these bytes 0
inline constexpr std::uint8_t kFileName = 0x01;
inline constexpr std::uint8_t kFolder = 0x02;    // components ended by 0xFF
inline constexpr std::uint8_t kWideSizes = 0x42; // 64-bit packed and original sizes
inline constexpr std::uint8_t kUtf16Name = 0x44;   // the file name in UTF-16LE (Windows writers)
inline constexpr std::uint8_t kUtf16Folder = 0x45; // the folder in UTF-16LE, folders ended by 0xFFFF
inline constexpr std::uint8_t kCodePage = 0x46;  // 32 bits: 932 Shift-JIS, 65001 UTF-8
inline constexpr std::uint8_t kUnixMode = 0x50;  // 16-bit Unix mode: file type and permissions
inline constexpr std::uint8_t kUnixTime = 0x54;  // 32-bit Unix seconds

// The file type in a Unix mode; LHa for UNIX marks a symbolic link so.
inline constexpr std::uint16_t kUnixTypeMask = 0170000;
inline constexpr std::uint16_t kUnixSymbolicLink = 0120000;

} // namespace unlha::layout
