#pragma once
// Unpacking member data: our own decoder for -lh5-, -lh6- and -lh7- (the methods of LHA 2.x and
// later, nearly every archive there is), liblhasa for the older methods (-lh1- of LHarc, -lh4-,
// LArc's -lzs-/-lz5-, PMarc's -pm1-/-pm2-, ...).

#include <cstdint>
#include <functional>
#include <span>

#include "unlha32/archive_index.h"

namespace unlha {

enum class MemberOutcome {
    Ok,         // the data decoded to the stated size and its CRC matched
    CrcMismatch,
    Damaged,    // the reader failed, or the size came out wrong
    Stopped,    // the consumer refused more data
    Skipped,    // the caller did not want this member
    Truncated,  // the archive file ended before the member's data (it shrank while being read)
};

// Receives a member's bytes in order; returns false to stop.
using Consumer = std::function<bool(const std::uint8_t* data, std::size_t size)>;

struct MemberVisitor {
    // The consumer for this member, or an empty one to skip it.
    std::function<Consumer(const IndexedMember&)> open;
    // How the member went; return false to stop the whole walk.
    std::function<bool(const IndexedMember&, MemberOutcome)> done;
};

// Decodes the members of `index` (made from the same source) in order, each on its own, so one
// broken member does not stop the others; the data is streamed, so a member of any size takes
// the same memory. Directory entries are always skipped.
void decodeMembers(const ByteSource& source, const ArchiveIndex& index, const MemberVisitor& visitor);
inline void decodeMembers(std::span<const std::uint8_t> bytes, const ArchiveIndex& index, const MemberVisitor& visitor)
{
    decodeMembers(MemorySource(bytes), index, visitor);
}

} // namespace unlha
