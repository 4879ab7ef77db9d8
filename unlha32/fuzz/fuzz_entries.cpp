// Bodies of the fuzz targets. Decoding stops after a few MiB per member so that a tiny input
// claiming a huge size cannot stall the fuzzer.
#include "unlha32/fuzz/fuzz_entries.h"

#include <cstdlib>
#include <string>

#include "unlha32/archive_index.h"
#include "unlha32/command_line.h"
#include "unlha32/crc16.h"
#include "unlha32/fuzz/other_readers.h"
#include "unlha32/lh_decoder.h"
#include "unlha32/member_decoder.h"
#include "unlha32/report.h"

namespace unlha::fuzz {

int readArchive(const std::uint8_t* data, std::size_t size)
{
    const MemorySource bytes(std::span<const std::uint8_t>(data, size));
    const ArchiveIndex index = indexArchive(bytes);
    if (index.status != ArchiveIndex::Status::Ok)
        return 0;
    std::size_t produced = 0;
    MemberVisitor visitor;
    visitor.open = [&](const IndexedMember&) -> Consumer {
        produced = 0;
        return [&](const std::uint8_t*, std::size_t n) {
            produced += n;
            return produced <= (std::size_t{4} << 20);
        };
    };
    visitor.done = [](const IndexedMember&, MemberOutcome) { return true; };
    decodeMembers(bytes, index, visitor);
    return 0;
}

int compareDecoders(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    static const LhMethod* const kMethods[] = {&kLh5, &kLh6, &kLh7};
    const LhMethod& method = *kMethods[data[0] % 3];
    const std::uint64_t original = data[1] | (data[2] << 8);
    const std::span<const std::uint8_t> packed(data + 3, size - 3);
    std::vector<std::uint8_t> ours;
    const bool oursOk = decodeLh(method, packed, original, [&](const std::uint8_t* d, std::size_t n) {
                            ours.insert(ours.end(), d, d + n);
                            return true;
                        }) == LhOutcome::Ok;
    // With our bytes' CRC in the header, another reader's Ok means the same bytes.
    const auto archive = archiveAround(packed, method.id, original, oursOk ? crc16(ours.data(), ours.size()) : 0);
    const ReaderResult libarchive = readWithLibarchive(archive);
    if (libarchive.status != ReaderResult::Failed && (!oursOk || libarchive.bytes != ours))
        std::abort(); // libarchive read what ours refused, or read it otherwise
    if (oursOk && libarchive.status == ReaderResult::Failed) {
        const ReaderResult lhasa = readWithLhasa(archive);
        if (lhasa.status != ReaderResult::Ok || lhasa.bytes != ours)
            std::abort(); // ours read what neither other reader does
    }
    return 0;
}

int parseLine(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const ParsedCommand parsed = parseCommandLine(line);
    Report report;
    report.line(parsed.ok ? parsed.command.archive : parsed.problem);
    char small[7];
    report.copyTo(small, sizeof small);
    if (!parsed.ok)
        return 0;
    const Command& c = parsed.command;
    std::vector<std::string> words{std::string(1, c.letter), c.archive};
    words.insert(words.end(), c.files.begin(), c.files.end());
    if (!c.folder.empty())
        words.push_back(c.folder);
    words.insert(words.end(), c.members.begin(), c.members.end());
    // A quote inside a word, or a name that starts with '-' (it would read as a switch), has no
    // spelling in a joined line.
    for (const auto& w : words)
        if (w.find('"') != std::string::npos || w[0] == '-')
            return 0;
    const ParsedCommand again = parseCommandLine(joinArguments(words));
    if (!again.ok || again.command.archive != c.archive || again.command.files != c.files
        || again.command.folder != c.folder || again.command.members != c.members)
        std::abort();
    return 0;
}

} // namespace unlha::fuzz
