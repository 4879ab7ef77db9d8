// Both readers walk the archive themselves; each of their entries is matched to ours by order
// and size, and the CRC is checked here again whatever the reader said.
#include "unlha32/member_decoder.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstring>
#include <lha_reader.h>
#include <memory>
#include <vector>

#include "unlha32/crc16.h"

namespace unlha {
namespace {

bool libarchiveReads(const std::string& method)
{
    return method == "-lh0-" || method == "-lh5-" || method == "-lh6-" || method == "-lh7-" || method == "-lhd-";
}

// Checks what a reader produced against the header: size first, then CRC.
class Checker {
public:
    explicit Checker(Consumer consumer) : consumer_(std::move(consumer)) {}

    bool take(const std::uint8_t* data, std::size_t size, std::uint64_t limit)
    {
        if (size > limit - total_) {
            overrun_ = true;
            return false;
        }
        total_ += size;
        crc_ = crc16(data, size, crc_);
        if (!consumer_(data, size)) {
            stopped_ = true;
            return false;
        }
        return true;
    }

    MemberOutcome verdict(const IndexedMember& m, bool readerFailed, bool readerCrc) const
    {
        if (stopped_)
            return MemberOutcome::Stopped;
        if (overrun_ || total_ != m.original)
            return readerCrc ? MemberOutcome::CrcMismatch : MemberOutcome::Damaged;
        if (readerCrc || (m.hasCrc && crc_ != m.crc))
            return MemberOutcome::CrcMismatch;
        return readerFailed ? MemberOutcome::Damaged : MemberOutcome::Ok;
    }

private:
    Consumer consumer_;
    std::uint64_t total_ = 0;
    std::uint16_t crc_ = 0;
    bool overrun_ = false;
    bool stopped_ = false;
};

// Reports every member from `from` on as damaged (the reader lost its way).
void failRest(const ArchiveIndex& index, std::size_t from, const MemberVisitor& v)
{
    for (std::size_t i = from; i < index.members.size(); ++i)
        if (!v.done(index.members[i], MemberOutcome::Damaged))
            return;
}

void decodeWithLibarchive(std::span<const std::uint8_t> bytes, const ArchiveIndex& index, const MemberVisitor& v)
{
    std::unique_ptr<archive, decltype(&archive_read_free)> a(archive_read_new(), archive_read_free);
    if (!a || archive_read_support_format_lha(a.get()) != ARCHIVE_OK
        || archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        failRest(index, 0, v);
        return;
    }
    for (std::size_t i = 0; i < index.members.size(); ++i) {
        const IndexedMember& m = index.members[i];
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(a.get(), &entry);
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            failRest(index, i, v);
            return;
        }
        if (m.isDirectory()) {
            if (!v.done(m, MemberOutcome::Skipped))
                return;
            continue;
        }
        if (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) != m.original) {
            failRest(index, i, v); // the reader and our walk disagree about this member
            return;
        }
        Consumer consumer = v.open(m);
        if (!consumer) {
            if (!v.done(m, MemberOutcome::Skipped))
                return;
            continue;
        }
        Checker check(std::move(consumer));
        bool failed = false;
        bool readerCrc = false;
        std::uint64_t expectedOffset = 0;
        for (;;) {
            const void* buf = nullptr;
            size_t len = 0;
            la_int64_t offset = 0;
            const int rr = archive_read_data_block(a.get(), &buf, &len, &offset);
            if (rr == ARCHIVE_EOF)
                break;
            if (rr == ARCHIVE_WARN) {
                readerCrc = std::strstr(archive_error_string(a.get()) ? archive_error_string(a.get()) : "", "CRC");
                failed = !readerCrc;
                break;
            }
            if (rr != ARCHIVE_OK || static_cast<std::uint64_t>(offset) != expectedOffset) {
                failed = true;
                break;
            }
            expectedOffset += len;
            if (len > 0 && !check.take(static_cast<const std::uint8_t*>(buf), len, m.original))
                break;
        }
        const MemberOutcome outcome = check.verdict(m, failed, readerCrc);
        if (!v.done(m, outcome))
            return;
        if (outcome == MemberOutcome::Damaged) {
            failRest(index, i + 1, v); // after a broken stream the reader's position is not to be trusted
            return;
        }
    }
}

struct MemoryStream {
    std::span<const std::uint8_t> bytes;
    std::size_t pos = 0;
};

int memRead(void* handle, void* buf, size_t len)
{
    auto* s = static_cast<MemoryStream*>(handle);
    const std::size_t n = std::min(len, s->bytes.size() - s->pos);
    std::memcpy(buf, s->bytes.data() + s->pos, n);
    s->pos += n;
    return static_cast<int>(n);
}

int memSkip(void* handle, size_t len)
{
    auto* s = static_cast<MemoryStream*>(handle);
    if (len > s->bytes.size() - s->pos)
        return 0;
    s->pos += len;
    return 1;
}

void decodeWithLhasa(std::span<const std::uint8_t> bytes, const ArchiveIndex& index, const MemberVisitor& v)
{
    static const LHAInputStreamType kType{memRead, memSkip, nullptr};
    MemoryStream mem{bytes};
    std::unique_ptr<LHAInputStream, decltype(&lha_input_stream_free)> stream(
        lha_input_stream_new(&kType, &mem), lha_input_stream_free);
    std::unique_ptr<LHAReader, decltype(&lha_reader_free)> reader(
        stream ? lha_reader_new(stream.get()) : nullptr, lha_reader_free);
    if (!reader) {
        failRest(index, 0, v);
        return;
    }
    lha_reader_set_dir_policy(reader.get(), LHA_READER_DIR_PLAIN);
    std::vector<std::uint8_t> buf(64 * 1024);
    for (std::size_t i = 0; i < index.members.size(); ++i) {
        const IndexedMember& m = index.members[i];
        LHAFileHeader* h = lha_reader_next_file(reader.get());
        if (!h || h->length != m.original) {
            failRest(index, i, v);
            return;
        }
        Consumer consumer = m.isDirectory() ? Consumer{} : v.open(m);
        if (!consumer) {
            if (!v.done(m, MemberOutcome::Skipped))
                return;
            continue;
        }
        Checker check(std::move(consumer));
        for (;;) {
            const std::size_t n = lha_reader_read(reader.get(), buf.data(), buf.size());
            if (n == 0 || !check.take(buf.data(), n, m.original))
                break;
        }
        const MemberOutcome outcome = check.verdict(m, false, false);
        if (!v.done(m, outcome))
            return;
    }
}

} // namespace

void decodeMembers(std::span<const std::uint8_t> bytes, const ArchiveIndex& index, const MemberVisitor& visitor)
{
    bool allFast = true;
    for (const auto& m : index.members)
        allFast = allFast && libarchiveReads(m.method);
    if (allFast)
        decodeWithLibarchive(bytes, index, visitor);
    else
        decodeWithLhasa(bytes, index, visitor);
}

} // namespace unlha
