#pragma once
// The -lh5- compressor (LZSS with static Huffman blocks), written for LHA 2.x and still what
// Japanese archivers write by default; -lh6- and -lh7- are the same coder with wider windows.
// The input is cut into chunks coded on as many threads as the job budget gives; each chunk
// ends a block and the next starts one, its matches reaching back into the chunk before, so
// the chunks' bits laid end to end are one stream that every reader takes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "unlha32/bit_writer.h"
#include "unlha32/lh_method.h"
#include "unlha32/match_finder.h"

namespace unlha {

struct EncodeOptions {
    MatchEffort effort;
    unsigned threads = 0;            // 0: this thread and what the job budget gives (platform/jobserver.h)
    std::size_t chunkSize = 1 << 20; // coded apart; the same bytes come out for any number of threads
};

// One thread's coder: its search tables are kept from one chunk to the next.
class ChunkCoder {
public:
    ChunkCoder(const LhMethod& method, const MatchEffort& effort);
    // Appends the blocks for data[begin, end) to out; matches reach back at most to data[0].
    void code(std::span<const std::uint8_t> data, std::size_t begin, std::size_t end, BitWriter& out);

private:
    const LhMethod& method_;
    MatchEffort effort_;
    MatchFinder finder_;
};

// Fills out with up to size input bytes; returns how many (0 at the end), or -1 when they
// cannot be read.
using InputSource = std::function<std::ptrdiff_t(std::uint8_t* out, std::size_t size)>;
// Takes the stream's bytes in order, in pieces of about a mebibyte; may throw.
using OutputSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

struct EncodedStream {
    std::uint64_t original = 0; // input bytes
    std::uint64_t packed = 0;   // stream bytes
    std::uint16_t crc = 0;      // CRC-16 of the input
    bool complete = false;      // false: a read failed or a cancel request (cancel.h) stopped it
};

// Compresses everything the source gives, in memory of a few chunks per thread whatever its
// size. What the sink throws comes through once the helper threads have stopped.
EncodedStream encodeLhStream(const LhMethod& method, const EncodeOptions& options, const InputSource& source,
                             const OutputSink& sink);

// The compressed stream for data (empty for empty data); its length in bytes is exact. After a
// cancel request it comes back unfinished, to be thrown away.
std::vector<std::uint8_t> encodeLh(std::span<const std::uint8_t> data, const LhMethod& method,
                                   const EncodeOptions& options = {});

} // namespace unlha
