#include "tests/cli/filter_run.h"

#include <QBuffer>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

namespace {

using velmorfilter::Outcome;
using velmorfilter::VelmorFilterTest;

TEST_F(VelmorFilterTest, WritesWhatTheWindowWritesForEveryKindOfSource)
{
    const struct {
        const char* format;
        QImage picture;
    } sources[] = {{"BMP", photo(7, 5)}, {"PNG", photo(6, 4, true)}, {"GIF", photo(5, 3)}, {"JPEG", photo(9, 9)}};
    for (const auto& s : sources) {
        const QString input = path(QStringLiteral("in.%1").arg(QString::fromLatin1(s.format).toLower()));
        testsupport::writeFile(input, encoded(s.picture, s.format));
        for (const auto& [filter, colour] : {std::pair{"sepia", 0x0040C0C0}, std::pair{"green", 0x0040C040}}) {
            const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QLatin1String(filter), QStringLiteral("-o"),
                path(QStringLiteral("out.bmp")), input});
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), windowResult(input, colour)) << s.format << " " << filter;
        }
    }
}

// Camera photos and PNGs: upright photos and plain PNGs are read a row at a time and written into
// place, a turned photo and a PNG with alpha are held whole; each gives the window's bytes, and so
// does a pipe, which takes bytes only in order.
TEST_F(VelmorFilterTest, PicturesStreamedOrHeldGiveTheWindowsBytes)
{
    for (const char* name : {"landscape0.jpg", "landscape1.jpg", "landscape6.jpg", "basn3p08.png", "basn6a08.png"}) {
        const QString input = QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/") + QLatin1String(name);
        const QByteArray expected = windowResult(input, 0x0040C0C0);
        const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), QStringLiteral("-o"), path(QStringLiteral("out.bmp")), input});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(testsupport::readFile(path(QStringLiteral("out.bmp"))) == expected) << name;
    }
    const QString fifo = path(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Our own writer end keeps the pipe open until the run is over, so the reader sees its end only then.
    const int readEnd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    const int ownWriter = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
    ASSERT_GE(readEnd, 0);
    ::fcntl(readEnd, F_SETFL, 0);
    QByteArray piped;
    std::thread reader([&] {
        char buffer[65536];
        for (ssize_t n; (n = ::read(readEnd, buffer, sizeof buffer)) > 0;)
            piped.append(buffer, n);
    });
    const Outcome r = run({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), QStringLiteral("-o"), fifo,
        QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/landscape1.jpg")});
    ::close(ownWriter);
    reader.join();
    ::close(readEnd);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(piped == windowResult(QStringLiteral(VELMOR_SOURCE_DIR "/tests/platform/fixtures/landscape1.jpg"), 0x0040C0C0));
}

TEST_F(VelmorFilterTest, CustomColourComesFromTheOptionOrTheStoredSetting)
{
    testsupport::writeFile(path(QStringLiteral("in.bmp")), encoded(photo(4, 4), "BMP"));
    const QStringList args = {QStringLiteral("-f"), QStringLiteral("custom"), QStringLiteral("-o"), path(QStringLiteral("out.bmp")),
        path(QStringLiteral("in.bmp"))};
    ASSERT_EQ(run(args).exitCode, 0);
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), windowResult(path(QStringLiteral("in.bmp")), 0)); // nothing stored: black

    QDir().mkpath(path(QStringLiteral("config/Velmor")));
    testsupport::writeFile(path(QStringLiteral("config/Velmor/Velmor.conf")), "[Setting]\nCustomFilter=00C0C040\n");
    ASSERT_EQ(run(args).exitCode, 0);
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), windowResult(path(QStringLiteral("in.bmp")), 0x00C0C040));

    ASSERT_EQ(run(QStringList{QStringLiteral("-c"), QStringLiteral("#FF0000")} + args).exitCode, 0);
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), windowResult(path(QStringLiteral("in.bmp")), 0x000000FF));
}

TEST_F(VelmorFilterTest, BadInputsFailClearlyAndLeaveExistingOutputsAlone)
{
    const QByteArray bmp = encoded(photo(30, 20), "BMP");
    const QByteArray jpeg = encoded(photo(30, 20), "JPEG");
    QByteArray huge = bmp;
    huge[20] = char(0x01); // width 30 + 65536
    testsupport::writeFile(path(QStringLiteral("empty.bmp")), {});
    testsupport::writeFile(path(QStringLiteral("text.jpg")), "no picture here");
    testsupport::writeFile(path(QStringLiteral("cut.bmp")), bmp.left(bmp.size() - 7));
    testsupport::writeFile(path(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 2));
    testsupport::writeFile(path(QStringLiteral("huge.bmp")), huge);
    for (const char* name : {"empty.bmp", "text.jpg", "cut.bmp", "cut.jpg", "huge.bmp", "missing.png"}) {
        testsupport::writeFile(path(QStringLiteral("out.bmp")), "precious");
        const QString input = path(QString::fromLatin1(name));
        const Outcome r = run({QStringLiteral("-o"), path(QStringLiteral("out.bmp")), input});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_TRUE(r.err.contains(input)) << r.err.toStdString();
        EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), "precious") << name;
    }
    EXPECT_TRUE(litter().isEmpty());
}

TEST_F(VelmorFilterTest, OneBadInputDoesNotStopTheOthers)
{
    testsupport::writeFile(path(QStringLiteral("a.bmp")), encoded(photo(3, 3), "BMP"));
    testsupport::writeFile(path(QStringLiteral("b.jpg")), "broken");
    testsupport::writeFile(path(QStringLiteral("c.png")), encoded(photo(2, 5), "PNG"));
    QDir().mkpath(path(QStringLiteral("out")));
    const Outcome r = run({QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("-d"), path(QStringLiteral("out")),
        path(QStringLiteral("a.bmp")), path(QStringLiteral("b.jpg")), path(QStringLiteral("c.png"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
        (QStringList{QStringLiteral("a.bmp"), QStringLiteral("c.bmp")}));
}

TEST_F(VelmorFilterTest, UnwritableDestinationsAndAFullDiskAreErrors)
{
    testsupport::writeFile(path(QStringLiteral("in.bmp")), encoded(photo(64, 64), "BMP"));
    const QString in = path(QStringLiteral("in.bmp"));
    EXPECT_EQ(run({QStringLiteral("-d"), path(QStringLiteral("nowhere")), in}).exitCode, 1);
    EXPECT_EQ(run({QStringLiteral("-o"), QStringLiteral("/proc/velmor.bmp"), in}).exitCode, 1);

    testsupport::writeFile(path(QStringLiteral("out.bmp")), "precious");
    const Outcome full = run({QStringLiteral("-o"), path(QStringLiteral("out.bmp")), in}, {}, [] {
        struct rlimit limit {4096, 4096};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_FALSE(full.err.isEmpty());
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out.bmp"))), "precious");
    EXPECT_TRUE(litter().isEmpty());
}

TEST_F(VelmorFilterTest, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({QStringLiteral("-f"), QStringLiteral("teal"), QStringLiteral("-o"), QStringLiteral("x"), QStringLiteral("y")}).exitCode, 2);
    EXPECT_EQ(run({QStringLiteral("--help")}).exitCode, 0);
}

} // namespace

namespace {

struct VelmorFilterQpxTest : VelmorFilterTest {
    void SetUp() override
    {
        // The control registered in this test's own configuration folder only.
        QProcess reg;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        reg.setProcessEnvironment(e);
        reg.start(QStringLiteral(VELMOR_BIN_DIR "/regsvr"), {QStringLiteral(VELMOR_BIN_DIR "/libqpxctrl.so")});
        ASSERT_TRUE(reg.waitForFinished(30000));
        ASSERT_EQ(reg.exitCode(), 0) << reg.readAll().toStdString();
    }
};

TEST_F(VelmorFilterQpxTest, QpxFilesAreWrittenAndReadThroughTheControl)
{
    testsupport::writeFile(path(QStringLiteral("sea.jpg")), encoded(photo(12, 7), "JPEG"));
    const QStringList sepia = {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia")};
    ASSERT_EQ(run(sepia + QStringList{QStringLiteral("-o"), path(QStringLiteral("sea.QPX")), path(QStringLiteral("sea.jpg"))}).exitCode, 0);
    ASSERT_EQ(run(sepia + QStringList{QStringLiteral("-o"), path(QStringLiteral("direct.bmp")), path(QStringLiteral("sea.jpg"))}).exitCode, 0);

    QProcess lhasa;
    lhasa.start(QStringLiteral("lhasa"), {QStringLiteral("t"), path(QStringLiteral("sea.QPX"))});
    lhasa.waitForFinished(30000);
    EXPECT_EQ(lhasa.exitCode(), 0) << lhasa.readAll().toStdString();

    // Monochrome over a sepia picture read back from the archive equals monochrome over the bitmap.
    const QStringList mono = {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("mono"), QStringLiteral("-o")};
    const Outcome fromQpx = run(mono + QStringList{path(QStringLiteral("a.bmp")), path(QStringLiteral("sea.QPX"))});
    ASSERT_EQ(fromQpx.exitCode, 0) << fromQpx.err.toStdString();
    ASSERT_EQ(run(mono + QStringList{path(QStringLiteral("b.bmp")), path(QStringLiteral("direct.bmp"))}).exitCode, 0);
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("a.bmp"))), testsupport::readFile(path(QStringLiteral("b.bmp"))));

    QDir().mkpath(path(QStringLiteral("out")));
    ASSERT_EQ(run({QStringLiteral("-q"), QStringLiteral("-d"), path(QStringLiteral("out")), QStringLiteral("-t"), QStringLiteral("qpx"),
                  path(QStringLiteral("sea.jpg")), path(QStringLiteral("direct.bmp"))})
                  .exitCode,
        0);
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files),
        (QStringList{QStringLiteral("direct.qpx"), QStringLiteral("sea.qpx")}));
}

TEST_F(VelmorFilterQpxTest, ARenamedQpxFileOpensAndAMissingOneFailsClearly)
{
    testsupport::writeFile(path(QStringLiteral("sea.bmp")), encoded(photo(3, 3), "BMP"));
    ASSERT_EQ(run({QStringLiteral("-o"), path(QStringLiteral("sea.qpx")), path(QStringLiteral("sea.bmp"))}).exitCode, 0);
    QFile::rename(path(QStringLiteral("sea.qpx")), path(QStringLiteral("lake.qpx")));
    const Outcome renamed = run({QStringLiteral("-o"), path(QStringLiteral("lake.bmp")), path(QStringLiteral("lake.qpx"))});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.err.toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("lake.bmp"))));
    const Outcome r = run({QStringLiteral("-o"), path(QStringLiteral("out.bmp")), path(QStringLiteral("gone.qpx"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("gone.qpx"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.bmp"))));
}

TEST_F(VelmorFilterTest, WithoutTheControlRegisteredQpxOutputsFailAndOthersAreWritten)
{
    testsupport::writeFile(path(QStringLiteral("sea.bmp")), encoded(photo(3, 3), "BMP"));
    const Outcome r = run({QStringLiteral("-o"), path(QStringLiteral("sea.qpx")), path(QStringLiteral("sea.bmp"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("QPXControl.QPXCtrl"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("sea.qpx"))));
}

} // namespace
