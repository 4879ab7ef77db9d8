// The chunk pipeline: the calling thread reads chunks into a ring of slots, codes chunks when no
// helper has taken them, and writes the coded chunks in order; helper threads, each holding one
// processor of the job budget, only code. A slot holds the window of input before its chunk, so
// matches reach back across the cut, and its own CRC, combined in order.
#include "unlha32/lh5_encoder.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/jobserver.h"
#include "unlha32/cancel.h"
#include "unlha32/crc16.h"

namespace unlha {
namespace {

constexpr unsigned kMaxThreads = 32; // past this, reading and writing on one thread are the limit
constexpr std::size_t kOutputPiece = 1 << 20;

std::uint64_t loadBigEndian64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

void storeBigEndian64(std::uint8_t* p, std::uint64_t v)
{
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

// Lays coded chunks end to end without a gap (a chunk ends anywhere in a byte) and hands out
// whole bytes a mebibyte at a time.
class Splicer {
public:
    explicit Splicer(const OutputSink& sink) : sink_(sink), buf_(kOutputPiece + 16) {}

    void append(const std::uint8_t* src, std::uint64_t bits)
    {
        while (bits > 0) {
            if (used_ + 64 > kOutputPiece)
                flush();
            const std::uint64_t room = (kOutputPiece - used_ - 8) * 8; // whole words that fit
            const std::uint64_t n = std::min(bits, room - room % 64);
            put(src, n);
            src += n / 8;
            bits -= n;
        }
    }

    // Pads the last byte with zeros and hands out the rest.
    void finish()
    {
        sink_(buf_.data(), used_);
        total_ += used_;
        used_ = 0;
        partial_ = 0;
    }

    std::uint64_t bytes() const { return total_ + used_; }

private:
    // n bits from src (whole bytes but the last) after the bits held.
    void put(const std::uint8_t* src, std::uint64_t n)
    {
        if (partial_ == 0) {
            std::memcpy(buf_.data() + used_, src, static_cast<std::size_t>((n + 7) / 8));
            used_ += static_cast<std::size_t>((n + 7) / 8);
            partial_ = static_cast<unsigned>(n % 8);
            return;
        }
        // The last byte held has partial_ bits; every source byte splits across two.
        std::uint8_t* out = buf_.data() + used_ - 1;
        const unsigned shift = partial_;
        std::uint64_t left = n;
        for (; left >= 64; left -= 64, src += 8, out += 8) {
            const std::uint64_t w = loadBigEndian64(src);
            out[0] = static_cast<std::uint8_t>(out[0] | (w >> (56 + shift)));
            storeBigEndian64(out + 1, w << (8 - shift));
        }
        for (; left > 0; left -= std::min<std::uint64_t>(left, 8), ++src, ++out) {
            out[0] = static_cast<std::uint8_t>(out[0] | (*src >> shift));
            out[1] = static_cast<std::uint8_t>(*src << (8 - shift));
        }
        const std::uint64_t total = static_cast<std::uint64_t>(used_ - 1) * 8 + shift + n;
        used_ = static_cast<std::size_t>((total + 7) / 8);
        partial_ = static_cast<unsigned>(total % 8);
        if (partial_)
            buf_[used_ - 1] &= static_cast<std::uint8_t>(0xFF00 >> partial_); // the source's padding
    }

    // Hands out every whole byte; a partial last one stays.
    void flush()
    {
        const std::size_t whole = partial_ ? used_ - 1 : used_;
        sink_(buf_.data(), whole);
        total_ += whole;
        buf_[0] = buf_[whole];
        used_ -= whole;
    }

    const OutputSink& sink_;
    std::vector<std::uint8_t> buf_;
    std::size_t used_ = 0;
    unsigned partial_ = 0; // bits of the last byte held that belong to the stream (0: it is whole)
    std::uint64_t total_ = 0;
};

struct Slot {
    std::vector<std::uint8_t> input; // the window before the chunk, then the chunk
    std::size_t history = 0;
    std::size_t size = 0;
    BitWriter coded;
    std::uint64_t bits = 0;
    std::uint16_t crc = 0;
    bool done = false;
};

class Pipeline {
public:
    Pipeline(const LhMethod& method, const EncodeOptions& options, const InputSource& source)
        : method_(method), options_(options), source_(source), chunk_(std::max<std::size_t>(options.chunkSize, 1)),
          window_(std::size_t{1} << method.windowBits),
          maxThreads_(std::clamp(options.threads ? options.threads : unsigned(platform::jobs::processors()), 1u, kMaxThreads)),
          slots_(maxThreads_ + 2)
    {
    }

    ~Pipeline()
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        work_.notify_all();
        for (auto& h : helpers_)
            h.join();
    }

    EncodedStream run(const OutputSink& sink)
    {
        EncodedStream result;
        Splicer out(sink);
        ChunkCoder coder(method_, options_.effort);
        bool inputDone = false;
        std::unique_lock lock(mutex_);
        for (;;) {
            if (failure_)
                std::rethrow_exception(failure_);
            if (cancelRequested())
                return result;
            if (written_ < read_ && slot(written_).done) {
                Slot& s = slot(written_);
                lock.unlock();
                out.append(s.coded.seal().data(), s.bits);
                result.crc = crc16Combine(result.crc, s.crc, s.size);
                result.original += s.size;
                lock.lock();
                s.done = false;
                ++written_;
            } else if (inputDone && written_ == read_) {
                break;
            } else if (!inputDone && read_ - written_ < slots_.size()) {
                Slot& s = slot(read_);
                lock.unlock();
                const bool ok = readChunk(s);
                lock.lock();
                if (!ok)
                    return result;
                inputDone = s.size == 0;
                if (!inputDone) {
                    ++read_;
                    work_.notify_one();
                    addHelper();
                }
            } else if (coding_ < read_) {
                Slot& s = slot(coding_++);
                lock.unlock();
                code(coder, s);
                lock.lock();
                s.done = true;
            } else {
                done_.wait(lock);
            }
        }
        lock.unlock();
        out.finish();
        result.packed = out.bytes();
        result.complete = true;
        return result;
    }

private:
    Slot& slot(std::uint64_t chunk) { return slots_[chunk % slots_.size()]; }

    // Fills the slot with the window kept from the chunks before and the next chunk; false
    // when the source fails. A size of 0: the input has ended.
    bool readChunk(Slot& s)
    {
        s.input.resize(window_ + chunk_);
        s.history = tail_.size();
        std::copy(tail_.begin(), tail_.end(), s.input.begin());
        s.size = 0;
        while (s.size < chunk_) {
            const std::ptrdiff_t n = source_(s.input.data() + s.history + s.size, chunk_ - s.size);
            if (n < 0)
                return false;
            if (n == 0)
                break;
            s.size += static_cast<std::size_t>(n);
        }
        const std::size_t all = s.history + s.size;
        tail_.assign(s.input.begin() + static_cast<std::ptrdiff_t>(all - std::min(all, window_)),
                     s.input.begin() + static_cast<std::ptrdiff_t>(all));
        return true;
    }

    void code(ChunkCoder& coder, Slot& s)
    {
        s.coded.clear();
        const std::span<const std::uint8_t> data(s.input.data(), s.history + s.size);
        coder.code(data, s.history, data.size(), s.coded);
        s.bits = s.coded.bitCount();
        s.crc = crc16(s.input.data() + s.history, s.size);
    }

    // Another coder, while chunks wait and the budget has a processor for it.
    void addHelper()
    {
        if (helpers_.size() + 1 >= maxThreads_ || read_ - coding_ < 2)
            return;
        platform::jobs::ExtraThread processor;
        if (!options_.threads && !(processor = platform::jobs::ExtraThread::take()))
            return;
        helpers_.emplace_back([this, p = std::move(processor)] { help(); });
    }

    void help()
    {
        ChunkCoder coder(method_, options_.effort);
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (coding_ == read_ || cancelRequested()) {
                work_.wait(lock);
                continue;
            }
            Slot& s = slot(coding_++);
            lock.unlock();
            try {
                code(coder, s);
            } catch (...) {
                lock.lock();
                failure_ = std::current_exception();
                done_.notify_all();
                return;
            }
            lock.lock();
            s.done = true;
            done_.notify_all();
        }
    }

    const LhMethod& method_;
    const EncodeOptions& options_;
    const InputSource& source_;
    const std::size_t chunk_;
    const std::size_t window_;
    const unsigned maxThreads_;
    std::vector<Slot> slots_;
    std::vector<std::uint8_t> tail_; // the last window of input read

    std::mutex mutex_;
    std::condition_variable work_; // a chunk waits to be coded, or stop
    std::condition_variable done_; // a helper coded a chunk, or failed
    std::uint64_t read_ = 0;       // chunks read
    std::uint64_t coding_ = 0;     // chunks taken by a coder
    std::uint64_t written_ = 0;    // chunks written
    bool stop_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> helpers_;
};

} // namespace

EncodedStream encodeLhStream(const LhMethod& method, const EncodeOptions& options, const InputSource& source,
                             const OutputSink& sink)
{
    return Pipeline(method, options, source).run(sink);
}

std::vector<std::uint8_t> encodeLh(std::span<const std::uint8_t> data, const LhMethod& method,
                                   const EncodeOptions& options)
{
    std::vector<std::uint8_t> stream;
    const InputSource source = [&data](std::uint8_t* out, std::size_t size) {
        const std::size_t n = std::min(size, data.size());
        std::memcpy(out, data.data(), n);
        data = data.subspan(n);
        return static_cast<std::ptrdiff_t>(n);
    };
    const OutputSink sink = [&](const std::uint8_t* bytes, std::size_t size) { stream.insert(stream.end(), bytes, bytes + size); };
    encodeLhStream(method, options, source, sink);
    return stream;
}

} // namespace unlha
