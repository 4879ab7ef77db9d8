// Kernel speeds of the archiver on a photo-like bitmap: the -lh5- encoder on one and on all
// processors, the CRC, and decoding a member through libarchive.
#include <benchmark/benchmark.h>

#include "bench/common/photo.h"
#include "unlha32/archive_index.h"
#include "unlha32/crc16.h"
#include "unlha32/header_writer.h"
#include "unlha32/lh5_encoder.h"
#include "unlha32/member_decoder.h"

namespace {

const std::vector<std::uint8_t>& photo()
{
    static const auto bmp = bench::makePhotoBmp(1600, 1200); // 5.76 MB
    return bmp;
}

void BM_EncodeLh5(benchmark::State& state)
{
    unlha::EncodeOptions options;
    options.threads = static_cast<unsigned>(state.range(0));
    std::size_t packed = 0;
    for (auto _ : state)
        packed = unlha::encodeLh(photo(), unlha::kLh5, options).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * photo().size()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(photo().size());
}
BENCHMARK(BM_EncodeLh5)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Crc16(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(unlha::crc16(photo().data(), photo().size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * photo().size()));
}
BENCHMARK(BM_Crc16)->Unit(benchmark::kMillisecond);

void BM_DecodeLh5(benchmark::State& state)
{
    const auto& data = photo();
    const auto stream = unlha::encodeLh(data, unlha::kLh5);
    const auto header = unlha::level2Header({"photo.bmp", "-lh5-", static_cast<std::uint32_t>(stream.size()),
                                             static_cast<std::uint32_t>(data.size()), 0,
                                             unlha::crc16(data.data(), data.size())});
    std::vector<std::uint8_t> archive(header.begin(), header.end());
    archive.insert(archive.end(), stream.begin(), stream.end());
    archive.push_back(0);
    const auto index = unlha::indexArchive(archive);
    unlha::MemberVisitor visitor;
    visitor.open = [](const unlha::IndexedMember&) -> unlha::Consumer {
        return [](const std::uint8_t*, std::size_t) { return true; };
    };
    visitor.done = [](const unlha::IndexedMember&, unlha::MemberOutcome) { return true; };
    for (auto _ : state)
        unlha::decodeMembers(archive, index, visitor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_DecodeLh5)->Unit(benchmark::kMillisecond);

} // namespace
