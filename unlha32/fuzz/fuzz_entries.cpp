// Bodies of the fuzz targets. Decoding stops after a few MiB per member so that a tiny input
// claiming a huge size cannot stall the fuzzer.
#include "unlha32/fuzz/fuzz_entries.h"

#include <cstdlib>
#include <string>

#include "unlha32/archive_index.h"
#include "unlha32/command_line.h"
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
