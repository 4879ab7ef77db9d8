// QPX files against bitmaps, from a 24 MP JPEG with grain and from a smooth one: the window's
// Create to each (the render included), and the QPX control's steps one by one (work bitmap
// written, archive packed; archive unpacked, picture loaded), each beside a plain write or read
// of the same bytes. Runs on the offscreen platform through the registered control.

#include "bench/common/photo.h"
#include "bench/workflow/scratch.h"
#include "platform/component/control.h"
#include "platform/longwork.h"
#include "platform/picture.h"
#include "platform/qpxclient/qpxclient.h"
#include "tests/support/scripteddialogs.h"
#include "velmor/shell/frmmain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

using bench::seconds;

struct Setup : bench::WindowScratch {
    QString noisy = dir.path() + QStringLiteral("/noisy.jpg");
    QString smooth = dir.path() + QStringLiteral("/smooth.jpg");
    QString smoothFrom;

    Setup()
    {
        const auto grain = bench::makePhotoBmp(kWidth, kHeight, 8);
        QImage::fromData(grain.data(), int(grain.size()), "BMP").save(noisy, "JPG", 95);
        // A real photo scaled up where the shared test pictures are, else the generated one without grain.
        const QByteArray shared = qgetenv("VELMOR_TESTDATA");
        const QString real = (shared.isEmpty() ? QStringLiteral(VELMOR_SOURCE_DIR "/../shared/testdata") : QString::fromLocal8Bit(shared))
            + QStringLiteral("/photos/Kodak_PIXPRO_S-1.jpg");
        QImage picture(real);
        if (!picture.isNull()) {
            picture = picture.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            smoothFrom = QStringLiteral("Kodak PIXPRO S-1 scaled up");
        } else {
            const auto flat = bench::makePhotoBmp(kWidth, kHeight, 0);
            picture = QImage::fromData(flat.data(), int(flat.size()), "BMP");
            smoothFrom = QStringLiteral("generated, no grain");
        }
        picture.save(smooth, "JPG", 90);
        registerQpxControl();
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// The window's Create, sepia, to a bitmap and to a QPX file in turns, each after a Browse of the
// JPEG (so each renders afresh): Create alone, and from the JPEG as velmor-filter goes (Browse and
// Create together).
void BM_CreateInTheWindow(benchmark::State& state)
{
    Setup& s = setup();
    const QString photo = state.range(0) ? s.smooth : s.noisy;
    auto dialogs = std::make_shared<dialogs::ScriptedDialogs>();
    frmMain w(s.services(dialogs));
    w.Form_Load();
    w.optFilt[1]->click();
    const QString bmp = s.dir.path() + QStringLiteral("/created.bmp");
    const QString qpx = s.dir.path() + QStringLiteral("/created.qpx");
    double opened = 0, toBitmap = 0, toQpx = 0;
    for (auto _ : state) {
        for (const QString& out : {bmp, qpx}) {
            QFile::remove(out);
            dialogs->files.push_back(photo);
            QElapsedTimer t;
            t.start();
            w.cmdBrws->click();
            opened += seconds(t);
            dialogs->files.push_back(out);
            t.start();
            w.cmdMake->click();
            (out == bmp ? toBitmap : toQpx) += seconds(t);
        }
    }
    const double n = double(state.iterations());
    state.counters["open_jpeg_s"] = opened / (2 * n);
    state.counters["create_bmp_s"] = toBitmap / n;
    state.counters["create_qpx_s"] = toQpx / n;
    state.counters["qpx_over_bmp"] = toQpx / toBitmap;
    state.counters["from_jpeg_qpx_over_bmp"] = (opened / 2 + toQpx) / (opened / 2 + toBitmap);
    state.counters["qpx_bytes"] = double(QFileInfo(qpx).size());
    state.SetLabel(state.range(0) ? ("smooth: " + s.smoothFrom).toStdString() : "grain 8, JPEG quality 95");
    w.close();
}
BENCHMARK(BM_CreateInTheWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// When each of the control's long steps ended, heard as the window hears them.
struct StepClock {
    QElapsedTimer clock;
    std::vector<std::pair<platform::WorkStep, double>> ends;
    platform::LongWorkListener listener{[this](platform::WorkStep step) { ends.emplace_back(step, seconds(clock)); }};
    double at(platform::WorkStep step) const
    {
        for (const auto& [s, t] : ends)
            if (s == step)
                return t;
        return 0;
    }
};

// The bytes of a step without the step: the same size written to a new file, or read back.
double plainWrite(const QString& path, const QImage& picture)
{
    QElapsedTimer t;
    t.start();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::size_t total = std::size_t(picture.sizeInBytes());
    for (std::size_t done = 0; done < total;) {
        const std::size_t n = std::min<std::size_t>(4u << 20, total - done);
        if (::write(fd, picture.constBits() + done, n) != ssize_t(n))
            break;
        done += n;
    }
    ::close(fd);
    return seconds(t);
}

double plainRead(const QString& path)
{
    QElapsedTimer t;
    t.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(file.readAll());
    return seconds(t);
}

void BM_QpxStepsInTheControl(benchmark::State& state)
{
    Setup& s = setup();
    QWidget host;
    const auto qpxFile = qpxclient::createQpxControl(&host);
    const QImage picture = platform::toBgr888(platform::loadPicture(s.noisy)); // as the window hands it over
    const QString archive = s.dir.path() + QStringLiteral("/steps.qpx");
    const QString plain = s.temp + QStringLiteral("plain.bin");
    double workBitmap = 0, pack = 0, unpack = 0, load = 0, written = 0, read = 0;
    for (auto _ : state) {
        QFile::remove(archive);
        {
            StepClock save;
            save.clock.start();
            qpxclient::SaveQPX(qpxFile.get(), picture, archive);
            workBitmap += save.at(platform::WorkStep::SavePicture);
            pack += save.at(platform::WorkStep::Archive) - save.at(platform::WorkStep::SavePicture);
        }
        {
            StepClock open;
            open.clock.start();
            benchmark::DoNotOptimize(qpxclient::OpenQPX(qpxFile.get(), archive));
            unpack += open.at(platform::WorkStep::Archive);
            load += open.at(platform::WorkStep::LoadPicture) - open.at(platform::WorkStep::Archive);
        }
        written += plainWrite(plain, picture);
        read += plainRead(plain);
        QFile::remove(plain);
    }
    const double n = double(state.iterations());
    state.counters["work_bitmap_s"] = workBitmap / n;
    state.counters["plain_write_s"] = written / n;
    state.counters["archive_add_s"] = pack / n;
    state.counters["archive_extract_s"] = unpack / n;
    state.counters["load_picture_s"] = load / n;
    state.counters["plain_read_s"] = read / n;
    state.counters["work_bitmap_over_write"] = workBitmap / written;
    state.counters["load_over_read"] = load / read;
}
BENCHMARK(BM_QpxStepsInTheControl)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
