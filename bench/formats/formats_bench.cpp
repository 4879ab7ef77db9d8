// Each format's writer over a 24-megapixel photo-like picture already in memory, written a row at
// a time into a file, and the metadata steps for a real camera's photo: what a created file costs
// apart from decoding and rendering.

#include "bench/common/photo.h"
#include "platform/bmp24.h"
#include "platform/formats/metadata.h"
#include "platform/formats/picturefile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

const std::vector<std::uint8_t>& photoBmp()
{
    static const std::vector<std::uint8_t> bmp = bench::makePhotoBmp(kWidth, kHeight);
    return bmp;
}

void WriteFormat(benchmark::State& state, formats::Format format)
{
    const auto& bmp = photoBmp();
    const auto stride = std::size_t(platform::bmp24::stride(kWidth));
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.") + formats::extensionOf(format));
    for (auto _ : state) {
        formats::PictureFile file(out, format, kWidth, kHeight, {}, {});
        for (int y = kHeight; y >= 1; --y) // top row first; the bitmap keeps it last
            file.writeRow(bmp.data() + platform::bmp24::kHeaderSize + std::size_t(y - 1) * stride);
        file.commit(false);
    }
    state.counters["MB"] = double(QFile(out).size()) / 1e6;
    state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight * double(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(WriteFormat, jpeg, formats::Format::Jpeg)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(WriteFormat, png, formats::Format::Png)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(WriteFormat, tiff, formats::Format::Tiff)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(WriteFormat, webp, formats::Format::WebP)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(5)->ReportAggregatesOnly(true);

const QString kPhoto = QStringLiteral(VELMOR_SOURCE_DIR "/tests/formats/fixtures/iphone6plus-rotated.jpg");

void ReadMetadata(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(formats::readPhotoMetadata(kPhoto));
}
BENCHMARK(ReadMetadata)->Unit(benchmark::kMicrosecond);

void MetadataForOutput(benchmark::State& state)
{
    const formats::PhotoMetadata source = formats::readPhotoMetadata(kPhoto);
    for (auto _ : state)
        benchmark::DoNotOptimize(formats::metadataForOutput(source, kWidth, kHeight));
}
BENCHMARK(MetadataForOutput)->Unit(benchmark::kMicrosecond);

} // namespace
