// A 6000 x 4000 photo on its way through the window: open, preview and create a bitmap, each stage
// timed on its own, and the longest time the window goes without handling its events during the
// render (target: under 50 ms), with the share of the scaling that shows the photo on a 1280 x 1024
// screen. Runs on the offscreen platform with a shown window, so repaints of the progress bar are
// part of the cost.

#include "bench/workflow/scratch.h"
#include "platform/picture.h"
#include "platform/tempnames.h"
#include "velmor/engine/renderfilter.h"
#include "velmor/engine/sourcepixels.h"
#include "velmor/shell/frmmain.h"
#include "tests/support/scripteddialogs.h"
#include "platform/component/control.h"
#include "unlha32/unlha32.h"
#include "velmor/workflow/copyfile.h"
#include "platform/qpxclient/qpxclient.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

using bench::seconds;

struct Setup : bench::WindowScratch {
    QString photo = dir.path() + QStringLiteral("/photo.jpg");

    Setup()
    {
        // A photo-like picture: smooth gradients with detail, saved at a camera's quality.
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int y = 0; y < kHeight; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kWidth; ++x)
                line[x] = qRgb((x / 24) % 256, (y / 16) % 256, ((x ^ y) & 63) + (x + y) / 80 % 192);
        }
        image.save(photo, "JPG", 90);
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// Each stage of open, preview and create on its own, as the commands run them.
void BM_RoadStages(benchmark::State& state)
{
    Setup& s = setup();
    double decode = 0, tempBitmap = 0, grid = 0, render = 0, previewLoad = 0, create = 0, plainCopy = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        const QImage picture = platform::loadPicture(s.photo);
        decode += seconds(t);

        t.restart();
        platform::TempFile file(s.temp, QStringLiteral("Velmor"));
        platform::writeBmp24(picture, file.fd(), file.path());
        file.close();
        tempBitmap += seconds(t);

        t.restart();
        const engine::SourcePixels pixels = engine::LoadSourcePixels(file.path(), picture.width(), picture.height());
        grid += seconds(t);

        t.restart();
        const auto out = engine::renderFilter(pixels, pixels.width, pixels.height, 0x0040C0C0, s.temp);
        render += seconds(t);

        t.restart();
        benchmark::DoNotOptimize(platform::loadBmp24Picture(out.outputPath));
        previewLoad += seconds(t);

        const QString created = s.dir.path() + QStringLiteral("/created.bmp");
        t.restart();
        workflow::copyFileReplacing(out.outputPath, created);
        create += seconds(t);

        // The render against a plain copy of the same number of bytes, memory to file.
        t.restart();
        {
            QFile target(s.dir.path() + QStringLiteral("/plain.bin"));
            target.open(QIODevice::WriteOnly);
            const QByteArray row(int(pixels.bytes.size() / std::size_t(pixels.height)), 'x');
            for (int y = 0; y < pixels.height; ++y)
                target.write(row);
        }
        plainCopy += seconds(t);
        QFile::remove(out.outputPath);
        QFile::remove(created);
        QFile::remove(s.dir.path() + QStringLiteral("/plain.bin"));
    }
    const double n = double(state.iterations());
    state.counters["decode_s"] = decode / n;
    state.counters["temp_bitmap_s"] = tempBitmap / n;
    state.counters["grid_s"] = grid / n;
    state.counters["render_s"] = render / n;
    state.counters["preview_load_s"] = previewLoad / n;
    state.counters["create_bmp_s"] = create / n;
    state.counters["render_over_plain_copy"] = render / plainCopy;
}
BENCHMARK(BM_RoadStages)->Unit(benchmark::kMillisecond)->Iterations(3);

// Create to a QPX file through the registered control, as the window does it: the output bitmap
// loaded as a picture, then SaveQPX (work bitmap and archive); and the archive step on its own.
void BM_CreateQpx(benchmark::State& state)
{
    Setup& s = setup();
    s.registerQpxControl();
    QWidget host;
    const auto qpxFile = qpxclient::createQpxControl(&host);
    const QImage picture = platform::loadPicture(s.photo);
    platform::TempFile file(s.temp, QStringLiteral("Velmor"));
    platform::writeBmp24(picture, file.fd(), file.path());
    file.close();
    const auto grid = engine::LoadSourcePixels(file.path(), picture.width(), picture.height());
    const auto out = engine::renderFilter(grid, grid.width, grid.height, 0x0040C0C0, s.temp);
    const QString archive = s.dir.path() + QStringLiteral("/created.qpx");

    double load = 0, save = 0, archiveOnly = 0;
    for (auto _ : state) {
        QFile::remove(archive);
        QElapsedTimer t;
        t.start();
        const QImage output = platform::loadBmp24Picture(out.outputPath);
        load += seconds(t);
        t.restart();
        qpxclient::SaveQPX(qpxFile.get(), output, archive);
        save += seconds(t);

        QFile::remove(archive);
        const QByteArray line = QStringLiteral("a %1 %2").arg(archive, out.outputPath).toLocal8Bit();
        char report[1024];
        t.restart();
        Unlha(nullptr, line.constData(), report, sizeof report);
        archiveOnly += seconds(t);
    }
    const double n = double(state.iterations());
    state.counters["output_load_s"] = load / n;
    state.counters["save_qpx_s"] = save / n;
    state.counters["archive_s"] = archiveOnly / n;
    QFile::remove(out.outputPath);
}
BENCHMARK(BM_CreateQpx)->Unit(benchmark::kMillisecond)->Iterations(3);

// Open and Preview through the window's own commands, with the longest gap between two events
// the window handled while it rendered.
void BM_OpenAndPreviewInTheWindow(benchmark::State& state)
{
    Setup& s = setup();
    auto dialogs = std::make_shared<dialogs::ScriptedDialogs>();
    shell::Services services = s.services(dialogs);
    // The photo is larger than the screen: both views show it scaled down.
    services.availableArea = [](const QWidget*) { return QRect(0, 0, 1280, 1024); };
    frmMain w(services);
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();

    // An event posted again and again: how long the window leaves it waiting is the gap.
    std::chrono::steady_clock::time_point last{};
    std::chrono::nanoseconds longest{0};
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        if (last != std::chrono::steady_clock::time_point{} && w.commandState() == CommandState::Rendering)
            longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start();

    double open = 0, preview = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        dialogs->files.push_back(s.photo);
        w.cmdBrws->click();
        QCoreApplication::processEvents(); // the window shows the new picture before the user can click on
        open += seconds(t);
        w.optFilt[1]->click();
        last = std::chrono::steady_clock::now();
        t.restart();
        w.cmdPrev->click();
        preview += seconds(t);
    }
    const double n = double(state.iterations());

    // The scaling for display on its own: the source grid and the output bitmap, each drawn at
    // the view's size as the views do it.
    const QImage output = platform::loadBmp24Picture(w.session().OutputTempPath());
    const QRect placed = w.views().viewport().place(w.views().source().size(), w.picSrc->size(), 1);
    QElapsedTimer t;
    t.start();
    benchmark::DoNotOptimize(views::PicturePixels::ofGrid(w.session().renderJob().pixels).render(placed, w.picSrc->size()));
    benchmark::DoNotOptimize(views::PicturePixels::ofPicture(output).render(placed, w.picSrc->size()));
    const double scaling = seconds(t);
    t.restart();
    benchmark::DoNotOptimize(platform::loadPicture(s.photo));
    const double decodeOnly = seconds(t);

    state.counters["open_s"] = open / n;
    state.counters["preview_s"] = preview / n;
    state.counters["open_plus_preview_s"] = (open + preview) / n;
    state.counters["view_scale"] = w.viewScale();
    state.counters["scaling_s"] = scaling;
    state.counters["scaling_share"] = scaling / ((open + preview) / n);
    // The peer: decoding the JPEG alone, which any viewer must do.
    state.counters["open_plus_preview_over_decode"] = (open + preview) / n / decodeOnly;
    state.counters["longest_gap_ms"] = double(longest.count()) / 1e6;
    w.close();
}
BENCHMARK(BM_OpenAndPreviewInTheWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
