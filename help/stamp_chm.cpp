// stamp_chm FILE EPOCH: sets the two build-time stamps that chmcmd writes into a compiled help file
// (the time of day in milliseconds, in the ITSF header and in the #SYSTEM file's entry 10) to the
// time of day of EPOCH, so that one source gives the same bytes whenever it is compiled.
// Both stamps lie in the uncompressed part of the file; nothing else there depends on them.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
}

std::uint64_t le64(const Bytes& b, std::size_t at)
{
    return std::uint64_t(le32(b, at)) | std::uint64_t(le32(b, at + 4)) << 32;
}

// The directory's variable-length numbers: seven bits a byte, most significant first.
std::optional<std::uint64_t> encint(const Bytes& b, std::size_t& at, std::size_t end)
{
    std::uint64_t value = 0;
    for (int i = 0; i < 9 && at < end; ++i) {
        const std::uint8_t byte = b[at++];
        value = value << 7 | (byte & 0x7f);
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

// Where the named file of section 0 lies in the whole file, from the PMGL directory chunks.
std::optional<std::pair<std::size_t, std::size_t>> findFile(const Bytes& b, const std::string& wanted)
{
    const std::size_t directory = std::size_t(le64(b, 0x48));
    const std::size_t content = std::size_t(le64(b, 0x58));
    if (directory + 0x54 > b.size() || std::memcmp(&b[directory], "ITSP", 4) != 0)
        return std::nullopt;
    const std::size_t chunkSize = le32(b, directory + 0x10);
    const std::size_t chunks = le32(b, directory + 0x2c);
    for (std::size_t c = 0; c < chunks; ++c) {
        const std::size_t start = directory + 0x54 + c * chunkSize;
        if (chunkSize < 20 || start + chunkSize > b.size() || std::memcmp(&b[start], "PMGL", 4) != 0)
            continue;
        const std::size_t end = start + chunkSize - le32(b, start + 4);
        for (std::size_t at = start + 20; at < end;) {
            const auto length = encint(b, at, end);
            if (!length || at + *length > end)
                break;
            const std::string name(b.begin() + std::ptrdiff_t(at), b.begin() + std::ptrdiff_t(at + *length));
            at += *length;
            const auto section = encint(b, at, end), offset = encint(b, at, end), size = encint(b, at, end);
            if (!section || !offset || !size)
                break;
            if (name == wanted && *section == 0 && content + *offset + *size <= b.size())
                return std::make_pair(std::size_t(content + *offset), std::size_t(*size));
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: stamp_chm FILE EPOCH\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 0x60 || std::memcmp(b.data(), "ITSF", 4) != 0 || le32(b, 4) != 3) {
        std::fprintf(stderr, "stamp_chm: %s is no compiled help file of version 3\n", argv[1]);
        return 1;
    }
    const std::uint32_t stamp = std::uint32_t(std::strtoull(argv[2], nullptr, 10) % 86400) * 1000;

    for (int i = 0; i < 4; ++i) // the header keeps it most significant byte first
        b[0x10 + std::size_t(i)] = std::uint8_t(stamp >> (24 - 8 * i));

    const auto system = findFile(b, "/#SYSTEM");
    if (!system) {
        std::fprintf(stderr, "stamp_chm: %s has no #SYSTEM file in its uncompressed section\n", argv[1]);
        return 1;
    }
    // #SYSTEM: a version, then entries of a 16-bit code, a 16-bit length and the data.
    bool stamped = false;
    for (std::size_t at = system->first + 4; at + 4 <= system->first + system->second;) {
        const unsigned code = b[at] | b[at + 1] << 8, length = b[at + 2] | b[at + 3] << 8;
        if (code == 10 && length == 4) {
            for (int i = 0; i < 4; ++i)
                b[at + 4 + std::size_t(i)] = std::uint8_t(stamp >> (8 * i));
            stamped = true;
        }
        at += 4 + length;
    }
    if (!stamped) {
        std::fprintf(stderr, "stamp_chm: %s has no time stamp entry in #SYSTEM\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return out ? 0 : 1;
}
