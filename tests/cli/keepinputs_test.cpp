// velmor-filter never writes over one of its own inputs, and an interrupted run says exactly which
// inputs it wrote and which not.
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {

struct KeepInputsTest : ::testing::Test {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    void SetUp() override
    {
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));
        QDir().mkpath(dir.filePath(QStringLiteral("tmp")));
        QProcess reg;
        reg.setProcessEnvironment(env);
        reg.start(QStringLiteral(VELMOR_BIN_DIR "/regsvr"), {QStringLiteral(VELMOR_BIN_DIR "/libqpxctrl.so")});
        ASSERT_TRUE(reg.waitForFinished(30000));
        ASSERT_EQ(reg.exitCode(), 0) << reg.readAll().toStdString();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray picture(const QString& name, int seed) const
    {
        QImage img(9, 6, QImage::Format_RGB32);
        img.fill(qRgb(seed * 20, 255 - seed * 20, 77));
        img.save(path(name), "BMP");
        return testsupport::readFile(path(name));
    }
    QProcess* start(const QStringList& args) const
    {
        auto* p = new QProcess;
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), QStringList{QStringLiteral("-q")} + args);
        return p;
    }
    struct Outcome {
        int exitCode;
        QString err;
    };
    static Outcome finish(QProcess* p)
    {
        p->waitForFinished(60000);
        const Outcome o{p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1,
            QString::fromLocal8Bit(p->readAllStandardError())};
        delete p;
        return o;
    }
    Outcome run(const QStringList& args) const { return finish(start(args)); }
    // A QPX file from before the run, holding some older picture.
    QByteArray previousQpx(const QString& name) const
    {
        picture(QStringLiteral("old.bmp"), 9);
        QProcess unlha;
        unlha.start(QStringLiteral(VELMOR_BIN_DIR "/unlha"), {QStringLiteral("a"), path(name), path(QStringLiteral("old.bmp"))});
        unlha.waitForFinished(30000);
        EXPECT_EQ(unlha.exitCode(), 0) << unlha.readAll().toStdString();
        return testsupport::readFile(path(name));
    }
};

TEST_F(KeepInputsTest, AnOutputThatIsAnInputByAnyNameIsRefusedAndTheInputKept)
{
    QDir().mkpath(path(QStringLiteral("album")));
    const QByteArray photo = picture(QStringLiteral("album/photo.bmp"), 1);
    const QByteArray other = picture(QStringLiteral("album/other.bmp"), 2);
    QDir().mkpath(path(QStringLiteral("copy")));
    picture(QStringLiteral("copy/photo.bmp"), 5);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("album/photo.bmp")), path(QStringLiteral("linked.bmp"))));
    ASSERT_EQ(::link(QFile::encodeName(path(QStringLiteral("album/photo.bmp"))).constData(),
                  QFile::encodeName(path(QStringLiteral("hard.bmp"))).constData()),
        0);
    const QString photoPath = path(QStringLiteral("album/photo.bmp"));
    const struct {
        const char* what;
        QStringList args;
    } cases[] = {
        {"-o itself", {QStringLiteral("-o"), photoPath, photoPath}},
        {"-o through a symbolic link", {QStringLiteral("-o"), path(QStringLiteral("linked.bmp")), photoPath}},
        {"-o through a hard link", {QStringLiteral("-o"), path(QStringLiteral("hard.bmp")), photoPath}},
        {"-d into its own folder", {QStringLiteral("-d"), path(QStringLiteral("album")), photoPath}},
        {"-d onto another input", {QStringLiteral("-d"), path(QStringLiteral("album")), path(QStringLiteral("copy/photo.bmp")), photoPath}},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.what;
        EXPECT_TRUE(r.err.contains(QStringLiteral("同じファイル"))) << c.what << ": " << r.err.toStdString();
        EXPECT_EQ(testsupport::readFile(photoPath), photo) << c.what;
    }
    // In a batch the refused input is named and the others are still written.
    const Outcome r = run({QStringLiteral("-d"), path(QStringLiteral("album")), photoPath, path(QStringLiteral("hard.bmp")),
        path(QStringLiteral("album/other.bmp")), path(QStringLiteral("tmp/../linked.bmp"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(testsupport::readFile(photoPath), photo);
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("album/other.bmp"))), other);
    EXPECT_TRUE(r.err.contains(photoPath)) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("album/linked.bmp")))) << r.err.toStdString();
}

TEST_F(KeepInputsTest, AQpxInputIsNotReplacedByItsOwnOutput)
{
    picture(QStringLiteral("sea.bmp"), 3);
    ASSERT_EQ(run({QStringLiteral("-o"), path(QStringLiteral("sea.qpx")), path(QStringLiteral("sea.bmp"))}).exitCode, 0);
    const QByteArray archive = testsupport::readFile(path(QStringLiteral("sea.qpx")));
    const Outcome r = run({QStringLiteral("-f"), QStringLiteral("red"), QStringLiteral("-o"), path(QStringLiteral("sea.qpx")),
        path(QStringLiteral("sea.qpx"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("同じファイル"))) << r.err.toStdString();
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("sea.qpx"))), archive);
}

// Interrupts arrive while the save is held at the archiver's door (a stand-in library that waits
// there), the one moment an interrupt can no longer stop it.
struct InterruptTest : KeepInputsTest {
    QString doors;
    void SetUp() override
    {
        KeepInputsTest::SetUp();
        doors = path(QStringLiteral("doors"));
        QDir().mkpath(doors);
        env.insert(QStringLiteral("VELMOR_UNLHA32_LIBRARY"), QStringLiteral(VELMOR_HOLD_ARCHIVER));
        env.insert(QStringLiteral("VELMOR_TEST_REAL_UNLHA32"), QStringLiteral(VELMOR_BIN_DIR "/libunlha32.so"));
        env.insert(QStringLiteral("VELMOR_TEST_HOLD_DIR"), doors);
    }
    bool heldAtTheArchiver(const QProcess* p) const
    {
        const QString held = doors + QStringLiteral("/%1.held").arg(p->processId());
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(held) && t.elapsed() < 60000)
            QThread::msleep(5);
        return QFile::exists(held);
    }
    void interruptAndRelease(const QProcess* p) const
    {
        ::kill(pid_t(p->processId()), SIGINT);
        QThread::msleep(50);
        testsupport::writeFile(doors + QStringLiteral("/%1.go").arg(p->processId()), "");
    }
};

TEST_F(InterruptTest, ASaveThatReachedTheArchiverFinishesAndIsReportedAsWritten)
{
    picture(QStringLiteral("sea.bmp"), 4);
    const QByteArray previous = previousQpx(QStringLiteral("sea.qpx"));
    QProcess* p = start({QStringLiteral("-o"), path(QStringLiteral("sea.qpx")), path(QStringLiteral("sea.bmp"))});
    ASSERT_TRUE(heldAtTheArchiver(p));
    interruptAndRelease(p);
    const Outcome r = finish(p);
    EXPECT_EQ(r.exitCode, 130);
    EXPECT_TRUE(r.err.contains(QStringLiteral("1 件を書き込み、0 件は書き込んでいません"))) << r.err.toStdString();
    EXPECT_NE(testsupport::readFile(path(QStringLiteral("sea.qpx"))), previous);
}

TEST_F(InterruptTest, ABatchNamesEveryInputNotWrittenAndKeepsTheirPreviousFiles)
{
    QDir().mkpath(path(QStringLiteral("out")));
    QStringList inputs;
    QByteArray previous[4];
    for (int i = 0; i < 4; ++i) {
        inputs << path(QStringLiteral("in%1.bmp").arg(i));
        picture(QStringLiteral("in%1.bmp").arg(i), i);
        previous[i] = previousQpx(QStringLiteral("out/in%1.qpx").arg(i));
    }
    QProcess* p = start(QStringList{QStringLiteral("-j"), QStringLiteral("1"), QStringLiteral("-d"), path(QStringLiteral("out")),
                            QStringLiteral("-t"), QStringLiteral("qpx")}
        + inputs);
    ASSERT_TRUE(heldAtTheArchiver(p));
    interruptAndRelease(p);
    const Outcome r = finish(p);
    EXPECT_EQ(r.exitCode, 130);
    EXPECT_TRUE(r.err.contains(QStringLiteral("1 件を書き込み、3 件は書き込んでいません"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(inputs[0] + QLatin1Char(':'))) << r.err.toStdString();
    EXPECT_NE(testsupport::readFile(path(QStringLiteral("out/in0.qpx"))), previous[0]);
    for (int i = 1; i < 4; ++i) {
        EXPECT_TRUE(r.err.contains(inputs[i] + QStringLiteral(": 中断したため書き込んでいません"))) << r.err.toStdString();
        EXPECT_EQ(testsupport::readFile(path(QStringLiteral("out/in%1.qpx").arg(i))), previous[i]);
    }
}

} // namespace
