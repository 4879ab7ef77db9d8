// The render kernel in megapixels a second over buffers already in memory, and the grid load.

#include "platform/bmp24.h"
#include "velmor/engine/render.h"
#include "velmor/engine/renderfilter.h"
#include "velmor/engine/renderrows.h"
#include "velmor/engine/sourcepixels.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> noise(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    std::mt19937 gen(7);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(gen());
    return v;
}

// One core over a 24-megapixel grid in memory, a row at a time into a 1 MiB strip of output
// rows, as the render and velmor-filter do.
void RenderKernel(benchmark::State& state)
{
    const int width = 6000, height = 4000;
    const auto stride = std::size_t(platform::bmp24::stride(width));
    const auto src = noise(std::size_t(width) * height * 3);
    const std::size_t stripRows = (1u << 20) / stride;
    std::vector<std::uint8_t> strip(stripRows * stride);
    const engine::RenderTable table(0x0040C0C0);
    for (auto _ : state) {
        engine::renderRows(table, width, height, [&](int y) { return src.data() + std::size_t(y - 1) * width * 3; },
            [&](int y) { return strip.data() + (std::size_t(y - 1) % stripRows) * stride; });
        benchmark::DoNotOptimize(strip.data());
    }
    state.counters["MP/s"] = benchmark::Counter(double(width) * height * double(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
}
BENCHMARK(RenderKernel)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7)->ReportAggregatesOnly(true);

// The whole render into the output bitmap in a temporary folder, yield hooks included.
void RenderToFile(benchmark::State& state)
{
    const int width = 6000, height = 4000;
    engine::SourcePixels grid{width, height, noise(std::size_t(width) * height * 3)};
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    long yields = 0;
    engine::RenderHooks hooks;
    hooks.yield = [&] { ++yields; };
    for (auto _ : state) {
        const auto files = engine::renderFilter(grid, width, height, 0x0040C0C0, folder, hooks);
        state.PauseTiming();
        QFile::remove(files.outputPath);
        state.ResumeTiming();
    }
    state.counters["MP/s"] = benchmark::Counter(double(width) * height * double(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
}
BENCHMARK(RenderToFile)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7)->ReportAggregatesOnly(true);

// Reading a 24-megapixel source bitmap into the grid, one read a row.
void LoadSourcePixels(benchmark::State& state)
{
    const int width = 6000, height = 4000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("src.bmp"));
    const auto header = platform::bmp24::header(width, height);
    const auto body = noise(std::size_t(platform::bmp24::stride(width)) * height);
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(header.data()), qint64(header.size()));
        f.write(reinterpret_cast<const char*>(body.data()), qint64(body.size()));
        f.close();
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine::LoadSourcePixels(path, width, height));
    }
    state.counters["MP/s"] = benchmark::Counter(double(width) * height * double(state.iterations()) / 1e6,
        benchmark::Counter::kIsRate);
}
BENCHMARK(LoadSourcePixels)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace
