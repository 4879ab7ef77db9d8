// Each member is decoded on its own, found by our header walk; the size that comes out must be
// the header's, and the CRC is checked here whichever reader decoded it.
#include "unlha32/member_decoder.h"

#include <algorithm>
#include <cstring>
#include <lha_reader.h>
#include <memory>
#include <vector>

#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh_decoder.h"

namespace unlha {
namespace {

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

    MemberOutcome verdict(const IndexedMember& m, bool readerFailed) const
    {
        if (stopped_)
            return MemberOutcome::Stopped;
        if (overrun_ || total_ != m.original)
            return MemberOutcome::Damaged;
        if (m.hasCrc && crc_ != m.crc)
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

// One member as liblhasa sees it: a plain level-2 header of our own making (an ASCII name, the
// member's method, sizes and CRC), the member's data read from the archive piece by piece, and
// an end marker. liblhasa only decodes: names, odd header levels and charsets are ours to
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

// A member's packed bytes, read from the archive in order in large pieces.
class PackedBytes {
public:
    PackedBytes(const ByteSource& archive, const IndexedMember& m) : archive_(archive), m_(m) {}

    // Fills out with up to size bytes; 0 at the end, -1 when the archive no longer holds them.
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size)
    {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, m_.packed - at_));
        if (n > 0 && !archive_.readAt(m_.dataOffset + at_, out, n)) {
            truncated_ = true;
            return -1;
        }
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    bool truncated() const { return truncated_; }

private:
    const ByteSource& archive_;
    const IndexedMember& m_;
    std::uint64_t at_ = 0;
    bool truncated_ = false;
};

// Stored data needs no reader: it is copied piece by piece and summed here.
MemberOutcome copyStored(PackedBytes& packed, const IndexedMember& m, Checker& check)
{
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(m.packed, 1 << 20)));
    for (std::ptrdiff_t n; (n = packed.read(buffer.data(), buffer.size())) > 0;)
        if (!check.take(buffer.data(), static_cast<std::size_t>(n), m.original))
            break;
    return check.verdict(m, false);
}

MemberOutcome decodeOwn(PackedBytes& packed, const IndexedMember& m, const LhMethod& method, Checker& check)
{
    const PackedSource source = [&](std::uint8_t* out, std::size_t size) { return packed.read(out, size); };
    const DecodedSink sink = [&](const std::uint8_t* data, std::size_t size) { return check.take(data, size, m.original); };
    const LhOutcome outcome = decodeLh(method, m.original, source, sink);
    return check.verdict(m, outcome == LhOutcome::Damaged || outcome == LhOutcome::ReadFailed);
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
    return check.verdict(m, false);
}

} // namespace

void decodeMembers(const ByteSource& source, const ArchiveIndex& index, const MemberVisitor& visitor)
{
    for (const auto& m : index.members) {
        Consumer consumer = m.isDirectory() || m.isLink() ? Consumer{} : visitor.open(m); // neither has data
        MemberOutcome outcome = MemberOutcome::Skipped;
        const LhMethod* own = decodableMethod(m.method);
        const bool stored = m.method == "-lh0-";
        if (consumer && !own && !stored && (m.packed > UINT32_MAX || m.original > UINT32_MAX)) {
            outcome = MemberOutcome::Damaged; // beyond what liblhasa takes
        } else if (consumer) {
            Checker check(std::move(consumer));
            PackedBytes packed(source, m);
            bool truncated = false;
            if (stored || own) {
                outcome = stored ? copyStored(packed, m, check) : decodeOwn(packed, m, *own, check);
                truncated = packed.truncated();
            } else {
                MemberStream stream(source, m);
                outcome = decodeWithLhasa(stream, m, check);
                truncated = stream.truncated();
            }
            if (truncated)
                outcome = MemberOutcome::Truncated;
        }
        if (!visitor.done(m, outcome))
            return;
    }
}

} // namespace unlha
