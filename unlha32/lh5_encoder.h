#pragma once
// The -lh5- compressor (LZSS with static Huffman blocks), written for LHA 2.x and still what
// Japanese archivers write by default; -lh6- and -lh7- are the same coder with wider windows.

#include <cstdint>
#include <span>
#include <vector>

#include "unlha32/match_finder.h"

namespace unlha {

struct LhMethod {
    const char* id;       // method id in the header, e.g. "-lh5-"
    int windowBits;       // history the matches may reach into
    int positionSymbols;  // NP: symbols of the position table
    int positionBits;     // PBIT: width of the position table's length count
};

constexpr LhMethod kLh4{"-lh4-", 12, 14, 4}; // 4 KiB window
constexpr LhMethod kLh5{"-lh5-", 13, 14, 4}; // 8 KiB window
constexpr LhMethod kLh6{"-lh6-", 15, 16, 5}; // 32 KiB window
constexpr LhMethod kLh7{"-lh7-", 16, 17, 5}; // 64 KiB window

struct EncodeOptions {
    MatchEffort effort;
    unsigned threads = 0;          // 0: one per processor
    std::size_t chunkSize = 1 << 20; // input coded independently per chunk, then joined
};

// The compressed stream for data (empty for empty data). Its length in bytes is exact. After
// a cancel request (cancel.h) it comes back unfinished, to be thrown away.
std::vector<std::uint8_t> encodeLh(std::span<const std::uint8_t> data, const LhMethod& method,
                                   const EncodeOptions& options = {});

} // namespace unlha
