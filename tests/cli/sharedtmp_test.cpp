// velmor-filter on a machine it shares: a temporary folder name another account took first, an
// instance that holds the folder while it sweeps, a settings file that is a FIFO.
#include "tests/support/files.h"
#include "tests/support/heldfolder.h"
#include "tests/support/otheraccount.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct SharedTmpTest : ::testing::Test {
    QTemporaryDir dir;
    QString ours = dir.filePath(QStringLiteral("velmor-%1").arg(::getuid()));

    void SetUp() override
    {
        QImage img(9, 5, QImage::Format_RGB32);
        img.fill(qRgb(40, 90, 160));
        testsupport::writeFile(dir.filePath(QStringLiteral("in.png")), testsupport::encoded(img, "PNG"));
        QProcess regsvr;
        regsvr.setProcessEnvironment(environment());
        regsvr.start(QStringLiteral(VELMOR_BIN_DIR "/regsvr"), {QStringLiteral(VELMOR_BIN_DIR "/libqpxctrl.so")});
        ASSERT_TRUE(regsvr.waitForFinished(60000));
        ASSERT_EQ(regsvr.exitCode(), 0);
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        e.insert(QStringLiteral("TMPDIR"), dir.path());
        e.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        return e;
    }
    void start(QProcess& p, const QStringList& args) const
    {
        p.setProcessEnvironment(environment());
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), args);
    }
};

// The attack as it was found: another account makes /tmp/velmor-<uid> first.
TEST_F(SharedTmpTest, AFolderAnotherAccountTookFirstStopsNothing)
{
    REQUIRE_OTHER_ACCOUNT(other);
    ::chmod(QFile::encodeName(dir.path()).constData(), 01777); // as /tmp is
    ASSERT_EQ(testsupport::runAs(*other, "mkdir -m 700 '" + ours.toStdString() + "'"), 0);
    QProcess p;
    start(p, {"-q", "-o", "out.qpx", "in.png"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("out.qpx"))));
    EXPECT_TRUE(err.contains(QStringLiteral("代わりに"))) << err.toStdString();
    EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << "said once: " << err.toStdString();

    start(p, {"-q", "-o", "back.bmp", "out.qpx"}); // and read back through the control
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
}

// An instance stopped in the middle of its sweep holds the folder alone: the next one waits for it
// and says so, rather than run on without its lock and have its files taken by the one after.
TEST_F(SharedTmpTest, AStartWaitsForAnInstanceThatHoldsTheFolderAndSaysWhy)
{
    ASSERT_EQ(::mkdir(QFile::encodeName(ours).constData(), 0700), 0);
    testsupport::HeldFolder sweeper(QFile::encodeName(ours));
    ASSERT_TRUE(sweeper.holding());

    QProcess p;
    start(p, {"-q", "-o", "out.bmp", "in.png"});
    p.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("待っています") && p.state() != QProcess::NotRunning && p.waitForReadyRead(60000))
        err += p.readAllStandardError();
    const bool stillWaiting = p.state() != QProcess::NotRunning;
    sweeper.release();
    ASSERT_TRUE(p.waitForFinished(60000));

    EXPECT_TRUE(err.contains(QFile::encodeName(ours))) << err.constData();
    EXPECT_TRUE(stillWaiting);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("out.bmp"))));
}

// Registering the control again helps only when it is not registered: a control that cannot start
// for want of a temporary folder says so, without that advice.
TEST_F(SharedTmpTest, AControlWithoutATemporaryFolderIsNotCalledUnregistered)
{
    testsupport::writeFile(dir.filePath(QStringLiteral("plain")), "x");
    QProcess p;
    QProcessEnvironment e = environment();
    e.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("plain")));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), {"-q", "-o", "out.qpx", "in.png"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("一時フォルダ"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("登録"))) << err.toStdString();
}

TEST_F(SharedTmpTest, ASettingsFileThatIsAFifoNeitherBlocksNorFails)
{
    QDir().mkpath(dir.filePath(QStringLiteral("config/Velmor")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("config/Velmor/Velmor.conf"))).constData(), 0600), 0);
    QProcess p;
    start(p, {"-q", "-f", "custom", "-o", "out.bmp", "in.png"}); // reads the stored custom colour
    ASSERT_TRUE(p.waitForFinished(60000)) << "blocked on the FIFO";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
}

} // namespace
