#pragma once
// Member headers built byte by byte from the format, the way other writers lay them out:
// levels 0, 1 and 2 with any OS id, raw name bytes, extra extended headers and the quirks
// (sizes faked, OS-9/68k's short length) that the tests need.

#include <string>
#include <vector>

#include "test_support.h"

namespace unlha::test {

Bytes le16(unsigned v);
Bytes le32(std::uint32_t v);
Bytes le64(std::uint64_t v);

// A level-0 member stored (-lh0-, or -lhd- for a folder or link); extension is the optional area
// after the CRC ('U' ... ).
Bytes level0Stored(const std::string& rawPath, const Bytes& data, const Bytes& extension = {}, const char* method = "-lh0-");

// A level-1 member stored (-lh0-, or -lhd-) with the given OS id; extensions are whole extended
// headers (type, data), their size fields added here.
Bytes level1Stored(const std::string& rawName, const Bytes& data, char os, const std::vector<Bytes>& extensions = {},
                   const char* method = "-lh0-");

struct Level2 {
    std::string name = {};             // ext 0x01, raw bytes
    std::string folder = {};           // ext 0x02, raw bytes with 0xFF separators ("" for none)
    Bytes data = {};                   // stored as it is, unless packedData is given
    Bytes packedData = {};             // the data as a compressor made it
    const char* method = "-lh0-";
    char os = 'U';
    std::vector<Bytes> extensions = {};  // further extended headers (type, data)
    bool os968kShortLength = false; // write the length field two bytes short, as OS-9/68k LHA does
    bool fake32BitSizes = false;    // put 0xFFFFFFF0 in the 32-bit size fields
};
Bytes level2Member(const Level2& m);

// Members end to end, then the end marker.
Bytes archiveOf(const std::vector<Bytes>& members);

} // namespace unlha::test
