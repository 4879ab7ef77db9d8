// The walk from header to header, the end marker, and the search for the first header behind a
// self-extractor's stub. Each header is read by readMemberHeader.
#include "unlha32/archive_index.h"

#include <algorithm>
#include <vector>

#include "unlha32/header_layout.h"
#include "unlha32/member_header.h"

namespace unlha {
namespace {

using namespace layout;
using Buffer = std::vector<std::uint8_t>;

// Method ids that real headers carry: -lh?- and -lz?- of LHarc, LHA and LArc, -pm0- to -pm2-
// of PMarc (its stubs hold "-pms-", which is no method).
bool plausibleMethod(const std::uint8_t* id)
{
    if (id[0] != '-' || id[4] != '-')
        return false;
    if (id[1] == 'l' && (id[2] == 'h' || id[2] == 'z'))
        return id[3] != '-';
    return id[1] == 'p' && id[2] == 'm' && id[3] >= '0' && id[3] <= '2';
}

bool methodAt(const std::uint8_t* header)
{
    return header[kMethod] == '-' && header[kMethod + kMethodLength - 1] == '-';
}

// A self-extracting archive: the first place within the stub limit where a whole member header
// checks out, or nothing.
bool findFirstHeader(const ByteSource& src, ArchiveIndex& index, std::uint64_t& found)
{
    const std::size_t span = static_cast<std::size_t>(std::min<std::uint64_t>(src.size(), kStubScanLimit + 32));
    Buffer head;
    if (!readHeaderBytes(src, 0, span, head, index))
        return false;
    for (std::size_t i = 1; i + kCommonLength <= span && i <= kStubScanLimit; ++i) {
        if (!plausibleMethod(head.data() + i + kMethod) || head[i + kLevel] > 3)
            continue;
        ArchiveIndex probe;
        std::uint64_t next = 0;
        if (readMemberHeader(src, i, probe, next)) {
            found = i;
            return true;
        }
    }
    return false;
}

} // namespace

ArchiveIndex indexArchive(const ByteSource& src)
{
    ArchiveIndex index;
    if (src.size() == 0) {
        index.fail(ArchiveIndex::Status::NotLha, "空のファイルです");
        return index;
    }
    std::uint64_t pos = 0;
    Buffer byte;
    if (src.size() >= kCommonLength) {
        Buffer head;
        if (!readHeaderBytes(src, 0, kCommonLength, head, index))
            return index;
        if (!methodAt(head.data()) && !findFirstHeader(src, index, pos)) {
            if (index.status == ArchiveIndex::Status::Ok)
                index.fail(ArchiveIndex::Status::NotLha, "LHAのヘッダではありません");
            return index;
        }
    }
    while (pos < src.size()) {
        if (!readHeaderBytes(src, pos, 1, byte, index))
            return index;
        if (byte[0] == 0) // the end marker
            break;
        std::uint64_t next = pos;
        if (!readMemberHeader(src, pos, index, next))
            return index;
        pos = next;
    }
    if (index.members.empty())
        index.fail(ArchiveIndex::Status::NotLha, "メンバがありません");
    return index;
}

ArchiveIndex indexArchive(std::span<const std::uint8_t> bytes)
{
    return indexArchive(MemorySource(bytes));
}

} // namespace unlha
