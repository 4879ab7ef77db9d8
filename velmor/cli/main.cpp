// velmor-filter: the colour filters of the window for a folder of pictures, from the command line.

#include "platform/errors.h"
#include "platform/formats/metadata.h"
#include "platform/fs.h"
#include "platform/jobserver.h"
#include "platform/nativepath.h"
#include "platform/settings.h"
#include "platform/tempsweep.h"
#include "velmor/cli/filterjob.h"
#include "velmor/cli/options.h"
#include "velmor/cli/progress.h"
#include "velmor/cli/qpxhost.h"
#include "velmor/cli/samefile.h"
#include "velmor/cli/stopsignals.h"
#include "velmor/cli/stdoutput.h"
#include "velmor/engine/filters.h"
#include "velmor/dialogs/japanese.h"
#include "velmor_version.h"
#include "platform/qpxclient/qpxclient.h"

#include <QApplication>
#include <QSet>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

std::atomic<bool> gStop{false};

void printLine(const QString& text)
{
    std::fprintf(stderr, "%s\n", platform::shownPath(text).toUtf8().constData()); // names that are no UTF-8 as \xHH
}

// The custom colour the window stored, as the window reads it at start-up.
engine::ColorValue storedCustomColour()
{
    const platform::SettingsStore settings;
    return engine::HexToColor(settings.GetSetting(QStringLiteral("Setting"), QStringLiteral("CustomFilter"), QStringLiteral("00000000")));
}

// Qt's complaint about a missing runtime folder means nothing to a command that shows no window.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (type != QtDebugMsg && type != QtInfoMsg)
        printLine(message);
}

struct Job {
    QString input;
    QString output;
    QString failure; // empty when written
};

const QString kInterrupted = QStringLiteral("中断したため書き込んでいません");

std::vector<Job> planJobs(const cli::Options& options)
{
    std::vector<Job> jobs;
    QSet<QString> taken;
    const cli::InputFiles inputs(options.inputs);
    for (const QString& input : options.inputs) {
        Job job{input, options.output.isEmpty() ? cli::outputInDir(options.outputDir, input, options.dirExtension) : options.output, {}};
        const QString key = platform::absolutePath(job.output);
        if (taken.contains(key))
            job.failure = QStringLiteral("出力 %1 は別の入力と同じ名前になります").arg(job.output);
        else if (const QString same = inputs.sameAs(job.output); !same.isEmpty())
            job.failure = QStringLiteral("出力 %1 は入力 %2 と同じファイルのため、書き込みません").arg(job.output, same);
        taken.insert(key);
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// The JPEG quality: -Q, else the window's stored setting.
int jpegQuality(const cli::Options& options)
{
    if (options.jpegQuality)
        return *options.jpegQuality;
    const platform::SettingsStore settings;
    return formats::jpegQualityFromSetting(settings.GetSetting(QStringLiteral("Setting"), QStringLiteral("JpegQuality"),
        QString::number(formats::kDefaultJpegQuality)));
}

// One job; QPX files go through the control, everything else straight through the engine. The
// format follows the output's name, as Create decides it.
void runJob(Job& job, engine::ColorValue colour, cli::QpxHost* qpx, const formats::WriteOptions& writeOptions)
{
    const bool qpxInput = qpxclient::isQpxPath(job.input);
    const formats::Format format = formats::formatOf(job.output);
    // A picture that can be read a band at a time goes through once, never held whole.
    if (!qpxInput && !cli::isStandardOutput(job.output) && !qpxclient::isQpxPath(job.output))
        if (auto rows = platform::openPictureRows(job.input)) {
            if (format == formats::Format::Bitmap)
                cli::writeFilteredBitmap(*rows, job.output, colour, gStop);
            else
                cli::writeFilteredPicture(*rows, job.output, colour, format, formats::readPhotoMetadata(job.input),
                    writeOptions, gStop);
            return;
        }
    std::unique_ptr<cli::Source> source = qpxInput ? cli::sourceFromImage(qpx->open(job.input)) : cli::openSource(job.input);
    if (cli::isStandardOutput(job.output))
        cli::writeFilteredBitmapToStandardOutput(*source, colour);
    else if (qpxclient::isQpxPath(job.output)) {
        const QImage picture = cli::filteredPicture(*source, colour);
        if (gStop) // past this point the save runs to its end and counts as written
            throw cli::Stopped{};
        qpx->save(picture, job.output);
    } else if (format == formats::Format::Bitmap)
        cli::writeFilteredBitmap(*source, job.output, colour, gStop);
    else {
        // A QPX file holds a bare bitmap: no metadata to carry.
        formats::PhotoMetadata metadata = qpxInput ? formats::PhotoMetadata{} : formats::readPhotoMetadata(job.input);
        if (!metadata.resolution)
            metadata.resolution = source->statedResolution();
        cli::writeFilteredPicture(*source, job.output, colour, format, metadata, writeOptions, gStop);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << platform::fromNativePath(argv[i]); // every name kept to its bytes
        return list;
    }();
    cli::Options options;
    try {
        options = cli::parseOptions(args);
    } catch (const cli::UsageError& e) {
        printLine(QStringLiteral("velmor-filter: %1 (詳しくは --help)").arg(e.message));
        return 2;
    }
    if (options.help) {
        std::fputs(cli::usageText(cli::japaneseLocale()).toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("velmor-filter %d.%d.%d\n", VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION);
        return 0;
    }
    if (cli::isStandardOutput(options.output) && !cli::standardOutputRefusal().isEmpty()) {
        printLine(QStringLiteral("velmor-filter: %1").arg(cli::standardOutputRefusal()));
        return 2;
    }
    platform::sweepTempFolderAtStartUp();
    std::vector<Job> jobs = planJobs(options);
    // One budget of processors for the workers and the archiver they call, named before any thread starts.
    platform::jobs::Batch batch(options.jobs ? options.jobs : platform::jobs::processors());

    // The QPX control is a widget and needs a widget application; a command never shows it.
    const bool needsQpx = std::any_of(jobs.begin(), jobs.end(),
        [](const Job& j) { return qpxclient::isQpxPath(j.input) || qpxclient::isQpxPath(j.output); });
    std::unique_ptr<QCoreApplication> app;
    qInstallMessageHandler(quietQtMessages);
    if (needsQpx) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    dialogs::installJapaneseTranslations(*app); // Qt's readers give their reasons in Japanese too
    std::unique_ptr<cli::QpxHost> qpx = needsQpx ? std::make_unique<cli::QpxHost>() : nullptr;

    engine::ColorValue custom = 0;
    if (options.filter == engine::kCustomFilter)
        custom = options.customColor ? *options.customColor : storedCustomColour();
    const engine::ColorValue colour = engine::filterColor(options.filter, custom);
    const formats::WriteOptions writeOptions{jpegQuality(options)};

    const int workers = batch.workers(int(jobs.size()));
    cli::Progress progress(int(jobs.size()), !options.quiet);

    // Each failure on its own line above the bar, the input named once.
    auto reportFailure = [&](const QString& input, const QString& failure) {
        progress.report(failure.startsWith(input) ? QStringLiteral("velmor-filter: %1").arg(failure)
                                                  : QStringLiteral("velmor-filter: %1: %2").arg(input, failure));
    };
    auto reportStop = [&](int notWritten, const QString& note) {
        progress.report(QStringLiteral("velmor-filter: 中断しました: %1 件を書き込み、%2 件は書き込んでいません%3")
                            .arg(int(jobs.size()) - notWritten).arg(notWritten).arg(note));
    };

    // Which jobs are written, readable from the watcher thread when a stop cuts the run short.
    const std::unique_ptr<std::atomic<bool>[]> written(new std::atomic<bool>[jobs.size()]{});
    cli::StopSignals stopSignals(gStop, [&] {
        platform::removeOwnWorkFolders();
        platform::fs::removeUnfinishedFiles();
        int notWritten = 0;
        for (std::size_t i = 0; i < jobs.size(); ++i)
            if (!written[i]) {
                ++notWritten;
                reportFailure(jobs[i].input, kInterrupted);
            }
        reportStop(notWritten, QStringLiteral(" (書き終えていない出力は元のままです)"));
    });

    // Workers take jobs in turn; the main thread runs the event loop that carries the control's calls.
    std::atomic<std::size_t> next{0};
    std::atomic<int> running{workers};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size() && !gStop; i = next++) {
            Job& job = jobs[i];
            if (job.failure.isEmpty()) {
                try {
                    runJob(job, colour, qpx.get(), writeOptions);
                    written[i] = true;
                } catch (const platform::RuntimeError& e) {
                    job.failure = e.text();
                } catch (const cli::Stopped&) {
                    job.failure = kInterrupted;
                } catch (const std::bad_alloc&) {
                    job.failure = QStringLiteral("メモリが足りません");
                }
            }
            if (!job.failure.isEmpty()) // shown when it happens
                reportFailure(job.input, job.failure);
            progress.advance();
        }
        batch.workerEnded(); // its processor goes to the archiver of the saves still running
        if (--running == 0)
            QMetaObject::invokeMethod(app.get(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
    std::vector<std::thread> pool;
    for (int w = 0; w < workers; ++w)
        pool.emplace_back(work);
    app->exec();
    for (auto& t : pool)
        t.join();
    stopSignals.ended();
    qpx.reset();

    int failed = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (!jobs[i].failure.isEmpty())
            ++failed;
        else if (gStop && !written[i]) {
            ++failed; // never started
            reportFailure(jobs[i].input, kInterrupted);
        }
    if (gStop) {
        reportStop(failed, QString());
        return 130;
    }
    return failed ? 1 : 0;
}
