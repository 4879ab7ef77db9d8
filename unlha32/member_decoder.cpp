// Each member is handed to a reader on its own, found by our header walk; the size that comes
// out must be the header's, and the CRC is checked by libarchive or, behind liblhasa, here.
#include "unlha32/member_decoder.h"

#include <archive.h>
#include <archive_entry.h>
#include <algorithm>
#include <cstring>
#include <lha_reader.h>
#include <memory>
#include <vector>

#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"

namespace unlha {
namespace {

bool libarchiveReads(const std::string& method)
{
    return method == "-lh0-" || method == "-lh5-" || method == "-lh6-" || method == "-lh7-" || method == "-lhd-";
}

// Checks what a reader produced against the header: size first, then CRC.
class Checker {
public:
    // ownCrc: sum the data here; libarchive checks every member's CRC itself and says so, and a
    // second sum would cost extraction a few percent for nothing.
    Checker(Consumer consumer, bool ownCrc) : consumer_(std::move(consumer)), ownCrc_(ownCrc) {}

    bool take(const std::uint8_t* data, std::size_t size, std::uint64_t limit)
    {
        if (size > limit - total_) {
            overrun_ = true;
            return false;
        }
        total_ += size;
        if (ownCrc_)
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
            return readerCrc && m.hasCrc ? MemberOutcome::CrcMismatch : MemberOutcome::Damaged;
        if (m.hasCrc && (readerCrc || (ownCrc_ && crc_ != m.crc))) // with no CRC stored the reader compares to 0
            return MemberOutcome::CrcMismatch;
        return readerFailed ? MemberOutcome::Damaged : MemberOutcome::Ok;
    }

private:
    Consumer consumer_;
    std::uint64_t total_ = 0;
    bool ownCrc_;
    std::uint16_t crc_ = 0;
    bool overrun_ = false;
    bool stopped_ = false;
};

// One member as a reader sees it: a plain level-2 header of our own making (an ASCII name, the
// member's method, sizes and CRC), the member's data read from the archive piece by piece, and
// an end marker. The readers only decode: names, odd header levels and charsets are ours to
// handle, and a member cannot throw a reader off the members after it.
class MemberStream {
public:
    static constexpr std::size_t kPiece = 128 << 10;

    MemberStream(const ByteSource& archive, const IndexedMember& m)
        : header_(level2Header({"member", m.method.c_str(), m.packed, m.original, 0, m.crc})), archive_(archive),
          dataOffset_(m.dataOffset), dataSize_(m.packed)
    {
    }

    // Hands out the header, the data, then the single end-marker byte, then nothing.
    std::span<const std::uint8_t> next(std::size_t most)
    {
        static const std::uint8_t kEnd[1] = {0};
        std::span<const std::uint8_t> piece;
        if (pos_ < header_.size()) {
            piece = std::span(header_).subspan(static_cast<std::size_t>(pos_));
        } else if (pos_ < header_.size() + dataSize_) {
            const std::uint64_t at = pos_ - header_.size();
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({dataSize_ - at, kPiece, most}));
            buffer_.resize(kPiece);
            if (!archive_.readAt(dataOffset_ + at, buffer_.data(), n)) {
                truncated_ = true;
                return {};
            }
            piece = std::span(buffer_).first(n);
        } else if (pos_ == header_.size() + dataSize_) {
            piece = std::span(kEnd, 1);
        }
        piece = piece.first(std::min(piece.size(), most));
        pos_ += piece.size();
        return piece;
    }

    bool truncated() const { return truncated_; }

private:
    std::vector<std::uint8_t> header_;
    const ByteSource& archive_;
    std::uint64_t dataOffset_;
    std::uint64_t dataSize_;
    std::uint64_t pos_ = 0;
    std::vector<std::uint8_t> buffer_;
    bool truncated_ = false;
};

// Stored data needs no reader: it is copied piece by piece and summed here.
MemberOutcome copyStored(MemberStream& stream, const IndexedMember& m, Checker& check)
{
    std::uint64_t left = m.packed;
    stream.next(SIZE_MAX); // the header
    while (left > 0) {
        const auto piece = stream.next(SIZE_MAX);
        if (piece.empty())
            break;
        if (!check.take(piece.data(), piece.size(), m.original))
            break;
        left -= piece.size();
    }
    return check.verdict(m, false, false);
}

la_ssize_t libarchiveRead(archive*, void* handle, const void** buffer)
{
    auto* stream = static_cast<MemberStream*>(handle);
    const auto piece = stream->next(SIZE_MAX);
    *buffer = piece.data();
    return stream->truncated() ? -1 : static_cast<la_ssize_t>(piece.size());
}

MemberOutcome decodeWithLibarchive(MemberStream& stream, const IndexedMember& m, Checker& check)
{
    std::unique_ptr<archive, decltype(&archive_read_free)> a(archive_read_new(), archive_read_free);
    archive_entry* entry = nullptr;
    if (!a || archive_read_support_format_lha(a.get()) != ARCHIVE_OK
        || archive_read_open(a.get(), &stream, nullptr, libarchiveRead, nullptr) != ARCHIVE_OK)
        return MemberOutcome::Damaged;
    const int r = archive_read_next_header(a.get(), &entry);
    if ((r != ARCHIVE_OK && r != ARCHIVE_WARN)
        || (archive_entry_size_is_set(entry) && static_cast<std::uint64_t>(archive_entry_size(entry)) != m.original))
        return MemberOutcome::Damaged;
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
            const char* why = archive_error_string(a.get());
            readerCrc = why && std::strstr(why, "CRC");
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
    return check.verdict(m, failed, readerCrc);
}

int lhasaRead(void* handle, void* buf, size_t len)
{
    auto* stream = static_cast<MemberStream*>(handle);
    const auto piece = stream->next(len);
    if (!piece.empty())
        std::memcpy(buf, piece.data(), piece.size());
    return stream->truncated() ? -1 : static_cast<int>(piece.size());
}

MemberOutcome decodeWithLhasa(MemberStream& stream, const IndexedMember& m, Checker& check)
{
    static const LHAInputStreamType kType{lhasaRead, nullptr, nullptr};
    std::unique_ptr<LHAInputStream, decltype(&lha_input_stream_free)> input(lha_input_stream_new(&kType, &stream),
                                                                             lha_input_stream_free);
    std::unique_ptr<LHAReader, decltype(&lha_reader_free)> reader(input ? lha_reader_new(input.get()) : nullptr,
                                                                  lha_reader_free);
    if (!reader)
        return MemberOutcome::Damaged;
    lha_reader_set_dir_policy(reader.get(), LHA_READER_DIR_PLAIN);
    const LHAFileHeader* h = lha_reader_next_file(reader.get());
    if (!h || h->length != m.original)
        return MemberOutcome::Damaged;
    std::vector<std::uint8_t> buf(64 * 1024);
    for (;;) {
        const std::size_t n = lha_reader_read(reader.get(), buf.data(), buf.size());
        if (n == 0 || !check.take(buf.data(), n, m.original))
            break;
    }
    return check.verdict(m, false, false);
}

} // namespace

void decodeMembers(const ByteSource& source, const ArchiveIndex& index, const MemberVisitor& visitor)
{
    for (const auto& m : index.members) {
        Consumer consumer = m.isDirectory() || m.isLink() ? Consumer{} : visitor.open(m); // neither has data
        MemberOutcome outcome = MemberOutcome::Skipped;
        const bool fast = libarchiveReads(m.method);
        if (consumer && !fast && (m.packed > UINT32_MAX || m.original > UINT32_MAX)) {
            outcome = MemberOutcome::Damaged; // beyond what the second reader takes
        } else if (consumer) {
            MemberStream stream(source, m);
            const bool stored = m.method == "-lh0-";
            Checker check(std::move(consumer), /*ownCrc=*/!fast || stored);
            outcome = stored ? copyStored(stream, m, check)
                      : fast ? decodeWithLibarchive(stream, m, check)
                             : decodeWithLhasa(stream, m, check);
            if (stream.truncated())
                outcome = MemberOutcome::Truncated;
        }
        if (!visitor.done(m, outcome))
            return;
    }
}

} // namespace unlha
