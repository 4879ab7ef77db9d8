// velmor-filter never waits without end: inputs that are not files are refused unopened, and the
// stop signals end a run whatever it is doing.

#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "velmor/cli/stopsignals.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct StopTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray native(const char* name) const { return QFile::encodeName(path(name)); }

    void start(QProcess& p, const QStringList& args) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        e.insert(QStringLiteral("TMPDIR"), dir.path());
        p.setProcessEnvironment(e);
        // Whatever the test was started with, the program gets the signals' default actions.
        p.setChildProcessModifier([] {
            for (int signo : {SIGINT, SIGTERM, SIGHUP})
                ::signal(signo, SIG_DFL);
        });
        p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), args);
        ASSERT_TRUE(p.waitForStarted());
    }
    void writePhoto(const char* name, int side) const
    {
        QImage img(side, side, QImage::Format_RGB32);
        img.fill(qRgb(10, 120, 230));
        testsupport::writeFile(path(name), testsupport::encoded(img, "BMP"));
    }
};

TEST_F(StopTest, InputsThatAreNoFilesAreRefusedWithoutWaiting)
{
    writePhoto("photo.bmp", 4);
    ASSERT_EQ(::mkfifo(native("pipe.bmp").constData(), 0600), 0);
    QDir().mkpath(path("folder.bmp"));
    ::symlink(native("pipe.bmp").constData(), native("link.bmp").constData());
    QDir().mkpath(path("out"));
    QProcess p;
    start(p, {QStringLiteral("-q"), QStringLiteral("-d"), path("out"), path("pipe.bmp"), path("folder.bmp"),
                 path("link.bmp"), path("photo.bmp")});
    ASSERT_TRUE(p.waitForFinished(60000)) << "waited on a pipe";
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    for (const char* name : {"pipe.bmp", "folder.bmp", "link.bmp"})
        EXPECT_TRUE(err.contains(path(name) + QStringLiteral(": ファイルではありません"))) << name << ": " << err.toStdString();
    EXPECT_TRUE(QFile::exists(path("out/photo.bmp"))) << err.toStdString();
}

// A run stuck on a write (a pipe whose reader never reads) ends on each stop signal, and the
// pipe stays a pipe.
TEST_F(StopTest, EveryStopSignalEndsARunStuckOnAWrite)
{
    writePhoto("big.bmp", 600); // far more than a pipe holds
    ASSERT_EQ(::mkfifo(native("out.bmp").constData(), 0600), 0);
    const int reader = ::open(native("out.bmp").constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) {
        QProcess p;
        start(p, {QStringLiteral("-q"), QStringLiteral("-o"), path("out.bmp"), path("big.bmp")});
        // Until the first bytes arrive the run is not yet stuck where it matters.
        char byte;
        for (int i = 0; i < 3000 && ::read(reader, &byte, 1) != 1; ++i)
            QThread::msleep(10);
        ::kill(static_cast<pid_t>(p.processId()), signo);
        EXPECT_TRUE(p.waitForFinished(30000)) << "signal " << signo << " did not end the run";
        EXPECT_EQ(p.exitCode(), 130) << signo;
        // Cut short, the run still names the input it did not write.
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError())
                        .contains(path("big.bmp") + QStringLiteral(": 中断したため書き込んでいません")))
            << signo;
        while (::read(reader, &byte, 1) == 1) {
        }
    }
    ::close(reader);
    struct stat st {};
    ASSERT_EQ(::lstat(native("out.bmp").constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// The watcher itself, in a child process: work that stops in time ends the run as usual; work
// that does not is cut short.
TEST(StopSignals, WorkThatStopsEndsNormallyAndWorkThatCannotIsCutShort)
{
    for (const bool stuck : {false, true}) {
        int marker[2];
        ASSERT_EQ(::pipe(marker), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGHUP, SIG_DFL); // the test itself may run under nohup
            std::atomic<bool> stop{false};
            cli::StopSignals watcher(stop, [&] { (void)!::write(marker[1], "c", 1); }, std::chrono::milliseconds(200));
            ::kill(::getpid(), SIGHUP);
            for (int i = 0; i < 3000 && (stuck || !stop); ++i)
                ::usleep(10000);
            watcher.ended();
            ::_exit(stop ? 7 : 0);
        }
        ::close(marker[1]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        char seen = 0;
        const bool cut = ::read(marker[0], &seen, 1) == 1;
        ::close(marker[0]);
        ASSERT_TRUE(WIFEXITED(status)) << stuck;
        EXPECT_EQ(WEXITSTATUS(status), stuck ? 130 : 7) << stuck;
        EXPECT_EQ(cut, stuck);
    }
}

// Under nohup a closed terminal must not end the run.
TEST(StopSignals, ASignalIgnoredFromTheStartStaysIgnored)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGHUP, SIG_IGN);
        std::atomic<bool> stop{false};
        cli::StopSignals watcher(stop, [] {}, std::chrono::milliseconds(100));
        ::kill(::getpid(), SIGHUP);
        ::usleep(300000);
        watcher.ended();
        ::_exit(stop ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
