// The decoder keeps the stream's next bits in a 64-bit word refilled eight bytes at a time, so one
// refill covers a whole code (C code, position code and its extra bits: at most 48 bits). Output
// goes into a buffer behind 64 KiB of history; matches are copied in whole words. When the budget
// has a processor for it, the sink takes each full buffer on a second thread while the decoder
// fills the other.
#include "unlha32/lh_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/jobserver.h"
#include "unlha32/decode_table.h"

namespace unlha {
namespace {

constexpr int kLiteralTableBits = 11; // most C codes are shorter: one look-up
constexpr int kSmallTableBits = 8;    // T and P codes
constexpr std::size_t kInput = 256 << 10;
constexpr std::size_t kInputPad = 16;  // zeros after the last packed byte: refills may look there
constexpr std::size_t kHistory = 64 << 10; // the widest window
constexpr std::size_t kOutput = 1 << 20;   // bytes handed to the sink at once
constexpr std::size_t kOutputSlack = 512;  // a match may start just below the mark and copy past it

std::uint64_t loadBigEndian64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

std::uint64_t load64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

void store64(std::uint8_t* p, std::uint64_t v) { std::memcpy(p, &v, 8); }

// Copies a match of length bytes from distance back, in words; may write up to 15 bytes past
// its end.
void copyMatch(std::uint8_t* out, std::size_t distance, std::size_t length)
{
    const std::uint8_t* from = out - distance;
    std::uint8_t* const end = out + length;
    if (distance >= 8) {
        do {
            store64(out, load64(from));
            out += 8;
            from += 8;
        } while (out < end);
        return;
    }
    if (distance == 1) {
        const std::uint64_t v = 0x0101010101010101ull * *from;
        do {
            store64(out, v);
            out += 8;
        } while (out < end);
        return;
    }
    // A short period: lay down its first repeats byte by byte, then copy words from a whole
    // number of periods back, at least eight bytes.
    const std::size_t step = distance * ((8 + distance - 1) / distance);
    for (std::size_t i = 0; i < step; ++i)
        out[i] = from[i];
    out += step;
    from = out - step;
    while (out < end) {
        store64(out, load64(from));
        out += 8;
        from += 8;
    }
}

class Decoder {
public:
    Decoder(const LhMethod& m, std::uint64_t original, const PackedSource& source, const DecodedSink& sink)
        : method_(m), left_(original), source_(source), sink_(sink), in_(new std::uint8_t[kInput + kInputPad]),
          out_{std::make_unique<std::uint8_t[]>(kHistory + kOutput + kOutputSlack), nullptr}
    {
        next_ = end_ = in_.get();
        std::memset(out_[0].get(), ' ', kHistory); // LHA's window starts out as spaces
        pos_ = flushed_ = out_[0].get() + kHistory;
        setMark();
    }

    // Waits until the sink has taken what it was handed; false when it refused it.
    bool settle()
    {
        if (handed_.valid() && !handed_.get())
            refused_ = true;
        return !refused_;
    }

    LhOutcome run()
    {
        if (left_ == 0)
            return LhOutcome::Ok;
        if (!fillInput())
            return failure_;
        for (;;) {
            if (blockLeft_ == 0 && !readBlock())
                return failure_;
            if (next_ > safeEnd_ && !fillInput())
                return failure_;
            decodeCodes();
            if (pos_ >= mark_) {
                if (const auto done = atMark())
                    return *done;
            }
        }
    }

private:
    // The hot loop: codes until the block, the safe input or the output mark runs out, with the
    // state in locals (a byte store may alias any member, so members would be reloaded each time).
    void decodeCodes()
    {
        std::uint64_t bits = bits_;
        unsigned available = available_;
        std::uint8_t* next = next_;
        std::uint8_t* pos = pos_;
        unsigned blockLeft = blockLeft_;
        const std::uint8_t* const safeEnd = safeEnd_;
        const std::uint8_t* const mark = mark_;
        const DecodeTable::View literal = literal_.view();
        const DecodeTable::View position = position_.view();
        do {
            bits |= loadBigEndian64(next) >> available;
            next += (63 - available) >> 3;
            available |= 56;
            const unsigned c = literal.decode(bits, available);
            if (c < 256) {
                *pos++ = static_cast<std::uint8_t>(c);
            } else {
                const unsigned k = position.decode(bits, available);
                // k < 2 is the distance less one itself; else a 1 above k - 1 further bits.
                const unsigned extra = k > 1 ? k - 1 : 0;
                const auto low = static_cast<std::uint32_t>((bits >> 1) >> (63 - extra));
                bits <<= extra;
                available -= extra;
                const std::size_t distance = (k > 1 ? (1u << extra) | low : k) + 1;
                const std::size_t length = c - 256 + 3;
                copyMatch(pos, distance, length);
                pos += length;
            }
        } while (--blockLeft != 0 && next <= safeEnd && pos < mark);
        bits_ = bits;
        available_ = available;
        next_ = next;
        pos_ = pos;
        blockLeft_ = blockLeft;
    }

    // Bits taken from the stream so far; more than it holds means the data ran out.
    std::uint64_t consumedBits() const
    {
        return (consumedBytes_ + static_cast<std::uint64_t>(next_ - in_.get())) * 8 - available_;
    }
    bool overRead() const { return inputDone_ && consumedBits() > totalBytes_ * 8; }

    // Loads whole bytes after the bits held, so that at least 56 are there.
    void refill()
    {
        bits_ |= loadBigEndian64(next_) >> available_;
        next_ += (63 - available_) >> 3;
        available_ |= 56;
    }

    // Keeps at least eight readable bytes after next_: moves the few left to the front and reads
    // on. At the end the zeros after the data stand in, and reading past them is damage.
    bool fillInput()
    {
        if (inputDone_) {
            if (overRead() || next_ > end_ + 8)
                return fail(LhOutcome::Damaged);
            return true;
        }
        const std::size_t keep = static_cast<std::size_t>(end_ - next_);
        std::memmove(in_.get(), next_, keep);
        consumedBytes_ += static_cast<std::uint64_t>(next_ - in_.get());
        next_ = in_.get();
        end_ = next_ + keep;
        while (!inputDone_ && end_ < in_.get() + kInput) {
            const std::ptrdiff_t got = source_(end_, static_cast<std::size_t>(in_.get() + kInput - end_));
            if (got < 0)
                return fail(LhOutcome::ReadFailed);
            if (got == 0)
                inputDone_ = true;
            end_ += got;
            totalBytes_ += static_cast<std::uint64_t>(got);
        }
        if (inputDone_)
            std::memset(end_, 0, kInputPad);
        safeEnd_ = inputDone_ ? end_ : end_ - 8;
        return true;
    }

    // Up to 32 bits, high bit first.
    bool bits(int n, unsigned& value)
    {
        if (available_ < 32) {
            if (next_ > safeEnd_ && !fillInput())
                return false;
            refill();
        }
        value = n ? static_cast<unsigned>(bits_ >> (64 - n)) : 0;
        bits_ <<= n;
        available_ -= static_cast<unsigned>(n);
        return true;
    }

    bool symbol(const DecodeTable& table, unsigned& value)
    {
        if (available_ < 32) {
            if (next_ > safeEnd_ && !fillInput())
                return false;
            refill();
        }
        value = table.view().decode(bits_, available_);
        return true;
    }

    // The T or P table: lengths of 3 bits, 7 and more as 111 and a 1 for each further step, ended
    // by a 0. The T table has a 2-bit count of zero lengths after its third.
    bool readSmallTable(DecodeTable& table, int symbols, int countBits, bool zerosAfterThird)
    {
        unsigned n = 0;
        if (!bits(countBits, n))
            return false;
        if (n == 0) {
            unsigned only = 0;
            if (!bits(countBits, only) || only >= static_cast<unsigned>(symbols))
                return fail(LhOutcome::Damaged);
            table.single(static_cast<int>(only));
            return true;
        }
        if (n > static_cast<unsigned>(symbols))
            return fail(LhOutcome::Damaged);
        std::array<std::uint8_t, 32> lengths{};
        for (unsigned i = 0; i < n;) {
            unsigned len = 0;
            if (!bits(3, len))
                return false;
            if (len == 7) {
                for (unsigned one = 1; one == 1;) {
                    if (!bits(1, one))
                        return false;
                    if (one && ++len > kMaxCodeLength)
                        return fail(LhOutcome::Damaged);
                }
            }
            lengths[i++] = static_cast<std::uint8_t>(len);
            if (zerosAfterThird && i == 3) {
                unsigned zeros = 0;
                if (!bits(2, zeros))
                    return false;
                if (zeros > n - 3)
                    return fail(LhOutcome::Damaged);
                i += zeros; // those lengths stay 0
            }
        }
        return table.build(lengths.data(), symbols, kSmallTableBits) || fail(LhOutcome::Damaged);
    }

    // The C table, its lengths coded with the T table and runs of zeros.
    bool readLiteralTable()
    {
        unsigned n = 0;
        if (!bits(kLiteralCountBits, n))
            return false;
        if (n == 0) {
            unsigned only = 0;
            if (!bits(kLiteralCountBits, only) || only >= static_cast<unsigned>(kLiteralSymbols))
                return fail(LhOutcome::Damaged);
            literal_.single(static_cast<int>(only));
            return true;
        }
        if (n > static_cast<unsigned>(kLiteralSymbols))
            return fail(LhOutcome::Damaged);
        std::array<std::uint8_t, kLiteralSymbols> lengths{};
        for (unsigned i = 0; i < n;) {
            unsigned t = 0;
            if (!symbol(lengths_, t))
                return false;
            if (t > 2) {
                lengths[i++] = static_cast<std::uint8_t>(t - 2);
                continue;
            }
            unsigned zeros = 1; // t = 0
            if (t == 1) {
                if (!bits(4, zeros))
                    return false;
                zeros += 3;
            } else if (t == 2) {
                if (!bits(9, zeros))
                    return false;
                zeros += 20;
            }
            if (zeros > n - i)
                return fail(LhOutcome::Damaged);
            i += zeros;
        }
        return literal_.build(lengths.data(), kLiteralSymbols, kLiteralTableBits) || fail(LhOutcome::Damaged);
    }

    bool readBlock()
    {
        unsigned count = 0;
        if (!bits(16, count))
            return false;
        if (count == 0)
            return fail(LhOutcome::Damaged);
        blockLeft_ = count;
        return readSmallTable(lengths_, kTableSymbols, kTableCountBits, true) && readLiteralTable()
               && readSmallTable(position_, method_.positionSymbols, method_.positionBits, false)
               && (!overRead() || fail(LhOutcome::Damaged));
    }

    // Where the loop next stops: the buffer's end, or the header's size.
    void setMark()
    {
        mark_ = pos_ + std::min<std::uint64_t>(left_, static_cast<std::uint64_t>(out_[current_].get() + kHistory + kOutput - pos_));
    }

    // The output reached its mark: done, damaged, or the buffer is handed over and slid back.
    std::optional<LhOutcome> atMark()
    {
        const auto made = static_cast<std::uint64_t>(pos_ - flushed_);
        if (made > left_)
            return LhOutcome::Damaged; // the last match ran past the size
        if (made == left_ && overRead())
            return LhOutcome::Damaged;
        left_ -= made;
        if (!settle())
            return LhOutcome::Stopped;
        if (left_ == 0)
            return sink_(flushed_, static_cast<std::size_t>(made)) ? LhOutcome::Ok : LhOutcome::Stopped;
        if (!handOver(flushed_, static_cast<std::size_t>(made)))
            return LhOutcome::Stopped;
        // Decoding goes on in the other buffer, behind the same history.
        auto& other = out_[current_ ^ 1];
        if (!other)
            other = std::make_unique<std::uint8_t[]>(kHistory + kOutput + kOutputSlack);
        std::memcpy(other.get(), pos_ - kHistory, kHistory);
        current_ ^= 1;
        pos_ = flushed_ = other.get() + kHistory;
        setMark();
        return std::nullopt;
    }

    // Gives a full buffer to the sink: on a second thread when the budget has a processor for
    // one (asked once per member), else here.
    bool handOver(const std::uint8_t* data, std::size_t size)
    {
        if (!askedForHelper_) {
            askedForHelper_ = true;
            helper_ = platform::jobs::ExtraThread::take();
        }
        if (helper_) {
            try {
                handed_ = std::async(std::launch::async, [this, data, size] { return sink_(data, size); });
                return true;
            } catch (const std::system_error&) {
                helper_ = {}; // no thread to be had after all
            }
        }
        return sink_(data, size);
    }

    bool fail(LhOutcome why)
    {
        failure_ = why;
        return false;
    }

    const LhMethod& method_;
    std::uint64_t left_; // bytes still to come out after flushed_
    const PackedSource& source_;
    const DecodedSink& sink_;

    std::unique_ptr<std::uint8_t[]> in_;
    std::uint8_t* next_ = nullptr;       // next byte to load into bits_
    std::uint8_t* end_ = nullptr;        // end of the bytes read
    const std::uint8_t* safeEnd_ = nullptr;
    std::uint64_t consumedBytes_ = 0;    // bytes moved out of in_ before next_'s buffer
    std::uint64_t totalBytes_ = 0;
    bool inputDone_ = false;
    std::uint64_t bits_ = 0; // the next bits, high bit first
    unsigned available_ = 0;

    std::unique_ptr<std::uint8_t[]> out_[2]; // the second only once the first has filled
    int current_ = 0;
    std::uint8_t* pos_ = nullptr;
    std::uint8_t* flushed_ = nullptr;
    std::uint8_t* mark_ = nullptr;

    unsigned blockLeft_ = 0;
    DecodeTable lengths_, literal_, position_;
    LhOutcome failure_ = LhOutcome::Damaged;

    bool askedForHelper_ = false;
    platform::jobs::ExtraThread helper_;
    std::future<bool> handed_; // the buffer the sink is taking on the helper (declared after out_: waited for first)
    bool refused_ = false;
};

} // namespace

LhOutcome decodeLh(const LhMethod& method, std::uint64_t original, const PackedSource& source, const DecodedSink& sink)
{
    Decoder decoder(method, original, source, sink);
    const LhOutcome outcome = decoder.run();
    // The sink's work on the helper ends before the caller looks at what it was given.
    return decoder.settle() || outcome != LhOutcome::Ok ? outcome : LhOutcome::Stopped;
}

LhOutcome decodeLh(const LhMethod& method, std::span<const std::uint8_t> packed, std::uint64_t original,
                   const DecodedSink& sink)
{
    const PackedSource source = [&packed](std::uint8_t* out, std::size_t size) {
        const std::size_t n = std::min(size, packed.size());
        std::memcpy(out, packed.data(), n);
        packed = packed.subspan(n);
        return static_cast<std::ptrdiff_t>(n);
    };
    return decodeLh(method, original, source, sink);
}

} // namespace unlha
