// What every command of ours does by the usual conventions: --version, a usage error in one line,
// error lines that never run into the progress bar, Japanese reasons from Qt, and "-o -".
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

struct ConventionsTest : ::testing::Test {
    QTemporaryDir dir;

    Result run(const char* program, const QStringList& args, std::function<void()> childSetup = {}) const
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        e.remove(QStringLiteral("DISPLAY")); // none of these may need one
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(dir.path());
        if (childSetup)
            p.setChildProcessModifier(childSetup);
        p.start(QStringLiteral(VELMOR_BIN_DIR "/") + QLatin1String(program), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString picture(const QString& name) const
    {
        const QString path = dir.filePath(name);
        QImage img(9, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x)
                img.setPixel(x, y, qRgb(x * 25, y * 50, 90));
        testsupport::writeFile(path, testsupport::encoded(img, "PNG"));
        return path;
    }
};

TEST_F(ConventionsTest, EveryProgramTellsItsVersion)
{
    for (const char* program : {"velmor", "velmor-filter", "unlha", "regsvr"}) {
        const Result r = run(program, {QStringLiteral("--version")});
        EXPECT_EQ(r.exitCode, 0) << program << r.err.constData();
        const QByteArray name = QByteArray(program) == "regsvr" ? "velmor-regsvr" : program;
        EXPECT_EQ(r.out, name + " 1.0.0\n") << program;
    }
}

TEST_F(ConventionsTest, AUsageErrorIsOneLineNamingTheProblem)
{
    const struct {
        const char* program;
        QStringList args;
        const char* named;
    } cases[] = {
        {"velmor-filter", {}, "-o"},
        {"velmor-filter", {"-f", "teal", "-o", "x.bmp", "y.png"}, "teal"},
        {"velmor-filter", {"--frobnicate"}, "--frobnicate"},
        {"velmor-filter", {"-j"}, "-j"},
        {"velmor", {"--frobnicate"}, "--frobnicate"},
        {"velmor", {"a.png", "b.png"}, "b.png"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.program, c.args);
        const QString what = QStringLiteral("%1 %2").arg(QLatin1String(c.program), c.args.join(' '));
        EXPECT_EQ(r.exitCode, 2) << what.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << what.toStdString() << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.constData();
        EXPECT_TRUE(r.err.contains("詳しくは --help")) << r.err.constData();
        EXPECT_TRUE(r.out.isEmpty()) << what.toStdString();
    }
    EXPECT_TRUE(run("velmor", {"--help"}).out.contains("--version"));
    EXPECT_TRUE(run("velmor-filter", {"--help"}).out.contains("--version"));
    EXPECT_TRUE(run("unlha", {"--help"}).out.contains("--version"));
}

TEST_F(ConventionsTest, DashAsOutputWritesTheBitmapToStandardOutput)
{
    const QString input = picture(QStringLiteral("in.png"));
    ASSERT_EQ(run("velmor-filter", {"-q", "-f", "sepia", "-o", "file.bmp", input}).exitCode, 0);
    const Result piped = run("velmor-filter", {"-q", "-f", "sepia", "-o", "-", input});
    EXPECT_EQ(piped.exitCode, 0) << piped.err.constData();
    EXPECT_EQ(piped.out, testsupport::readFile(dir.filePath("file.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("-")));
}

// A pseudo-terminal as standard output or standard error of the child, read back afterwards.
struct Terminal {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    QByteArray slaveName;
    Terminal()
    {
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slaveName = ::ptsname(master);
    }
    ~Terminal()
    {
        if (master >= 0)
            ::close(master);
    }
    std::function<void()> onFd(int fd) const
    {
        const QByteArray name = slaveName;
        return [name, fd] {
            const int slave = ::open(name.constData(), O_RDWR | O_NOCTTY);
            if (slave >= 0)
                ::dup2(slave, fd);
        };
    }
    QByteArray readAll() const
    {
        QByteArray all;
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            all.append(buffer, n);
        return all;
    }
};

TEST_F(ConventionsTest, TheRefusalOfATerminalAsOutputIsClear)
{
    Terminal tty;
    ASSERT_FALSE(tty.slaveName.isEmpty());
    const Result r = run("velmor-filter", {"-o", "-", picture(QStringLiteral("in.png"))}, tty.onFd(STDOUT_FILENO));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("端末")) << r.err.constData();
    EXPECT_FALSE(tty.readAll().contains("BM"));
}

TEST_F(ConventionsTest, FailuresShowOnLinesOfTheirOwnWhileTheBarRuns)
{
    Terminal tty;
    ASSERT_FALSE(tty.slaveName.isEmpty());
    const QString good = picture(QStringLiteral("good.png"));
    testsupport::writeFile(dir.filePath("bad.png"), "no picture");
    QDir().mkpath(dir.filePath("out"));
    const Result r = run("velmor-filter", {"-j", "1", "-d", "out", dir.filePath("bad.png"), good}, tty.onFd(STDERR_FILENO));
    EXPECT_EQ(r.exitCode, 1);
    const QByteArray shown = tty.readAll();
    // The failure starts a fresh, cleared line and ends it; the bar is drawn again after it.
    const qsizetype at = shown.indexOf("velmor-filter: ");
    ASSERT_GE(at, 0) << shown.constData();
    EXPECT_TRUE(shown.left(at).endsWith("\r\x1b[K")) << shown.constData();
    const qsizetype lineEnd = shown.indexOf('\n', at);
    ASSERT_GT(lineEnd, at);
    EXPECT_FALSE(shown.mid(at, lineEnd - at).contains('[')) << shown.constData();
    EXPECT_TRUE(shown.mid(lineEnd).contains("2/2")) << shown.constData();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out/good.bmp")));
}

TEST_F(ConventionsTest, TheRegistrationAdviceWorksAsWritten)
{
    const QString input = picture(QStringLiteral("in.png"));
    const QStringList args {"-q", "-o", "out.qpx", input};
    const Result refused = run("velmor-filter", args);
    ASSERT_EQ(refused.exitCode, 1);
    const QString err = QString::fromLocal8Bit(refused.err);
    const qsizetype at = err.indexOf(QStringLiteral("登録するには "));
    ASSERT_GE(at, 0) << refused.err.constData();
    const QStringList command = err.mid(at + 7).section(QStringLiteral(" を実行"), 0, 0).split(QLatin1Char(' '));
    ASSERT_EQ(command.size(), 2) << refused.err.constData();

    QProcess advice;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    advice.setProcessEnvironment(e);
    advice.start(command[0], {command[1]});
    ASSERT_TRUE(advice.waitForFinished(60000));
    ASSERT_EQ(advice.exitCode(), 0) << advice.readAllStandardError().constData();
    EXPECT_EQ(run("velmor-filter", args).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("out.qpx")));
}

TEST_F(ConventionsTest, ReasonsFromQtsReadersAreJapanese)
{
    testsupport::writeFile(dir.filePath("bad.png"), "no picture");
    const Result r = run("velmor-filter", {"-q", "-o", "x.bmp", dir.filePath("bad.png")});
    EXPECT_EQ(r.exitCode, 1);
    const QString err = QString::fromLocal8Bit(r.err);
    EXPECT_TRUE(err.contains(QStringLiteral("画像として読み込めません"))) << r.err.constData();
    EXPECT_FALSE(err.contains(QStringLiteral("Unsupported"))) << r.err.constData();
}

} // namespace
