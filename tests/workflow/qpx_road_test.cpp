// The whole road with the real QPX control, registered in the test's own configuration folder and
// created by the window from its programmatic identifier.

#include "tests/workflow/road.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QtTest/QTest>
#include <cstring>
#include <functional>

namespace {

struct QpxRoad : RoadFixture {
    QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    QByteArray oldTmp = qgetenv("TMPDIR");
    QString controlTemp = dir.path() + QStringLiteral("/control-tmp");

    void SetUp() override
    {
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        QDir().mkpath(controlTemp);
        qputenv("TMPDIR", controlTemp.toLocal8Bit());
        QProcess reg;
        reg.start(QStringLiteral(VELMOR_BIN_DIR "/regsvr"), {QStringLiteral(VELMOR_BIN_DIR "/libqpxctrl.so")});
        ASSERT_TRUE(reg.waitForFinished(30000));
        ASSERT_EQ(reg.exitCode(), 0) << reg.readAll().toStdString();
    }
    void TearDown() override
    {
        window.reset();
        qputenv("XDG_CONFIG_HOME", oldConfig);
        qputenv("TMPDIR", oldTmp);
        RoadFixture::TearDown();
    }
    QStringList controlFiles() const
    {
        QStringList found;
        for (const QString& sub : QDir(controlTemp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            found << QDir(controlTemp + QLatin1Char('/') + sub).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        return found;
    }
};

TEST_F(QpxRoad, ACreatedQpxFileOpensAgainWithTheSamePixels)
{
    frmMain& w = open();
    ASSERT_NE(w.qpxFile, nullptr) << "the window did not create its QPX control";
    const QString photo = write(QStringLiteral("jpg"));
    browse(photo);
    w.optFilt[1]->click(); // sepia
    w.cmdPrev->click();
    const QByteArray previewed = testsupport::readFile(w.session().OutputTempPath());
    EXPECT_EQ(previewed, expectedOutput(photo, 0x0040C0C0));

    const QString archive = pictures + QStringLiteral("sea.QPX");
    create(archive);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(QFile::exists(archive));
    QProcess lhasa;
    lhasa.start(QStringLiteral("lhasa"), {QStringLiteral("t"), archive});
    lhasa.waitForFinished(30000);
    EXPECT_EQ(lhasa.exitCode(), 0) << lhasa.readAll().toStdString();

    // Opened again, the archive's picture is the previewed output; monochrome over it is exact.
    browse(archive);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w.txtFile->text(), archive);
    w.optFilt[0]->click();
    w.cmdPrev->click();
    const QString previewPath = pictures + QStringLiteral("previewed.bmp");
    testsupport::writeFile(previewPath, previewed);
    EXPECT_EQ(testsupport::readFile(w.session().OutputTempPath()), expectedOutput(previewPath, 0x00808080));

    w.cmdQuit->click();
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(controlFiles().isEmpty()) << controlFiles().join(QLatin1Char(' ')).toStdString();
}

// A renamed archive opens by its only bitmap; one holding two bitmaps, neither of its name, is
// refused with a message and the source stays.
TEST_F(QpxRoad, ARenamedArchiveOpensUnlessItsPictureIsAmbiguous)
{
    frmMain& w = open();
    const QString photo = write(QStringLiteral("png"));
    browse(photo);
    create(pictures + QStringLiteral("sea.qpx"));
    ASSERT_TRUE(QFile::rename(pictures + QStringLiteral("sea.qpx"), pictures + QStringLiteral("lake.qpx")));
    browse(pictures + QStringLiteral("lake.qpx"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w.txtFile->text(), pictures + QStringLiteral("lake.qpx"));

    browse(photo);
    ASSERT_TRUE(QFile::copy(pictures + QStringLiteral("lake.qpx"), pictures + QStringLiteral("river.qpx")));
    create(pictures + QStringLiteral("river.qpx")); // now holds river.bmp beside sea.bmp
    ASSERT_TRUE(QFile::rename(pictures + QStringLiteral("river.qpx"), pictures + QStringLiteral("pond.qpx")));
    browse(pictures + QStringLiteral("pond.qpx"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("pond"))) << messages[0].toStdString();
    EXPECT_EQ(w.txtFile->text(), photo);
    EXPECT_TRUE(w.cmdPrev->isEnabled());
}

// What the window shows while the control writes or reads a QPX file, seen from an event that
// the window handles during the call.
struct DuringTheCall {
    bool seen = false;
    bool barShown = false, commandsDisabled = false;
    int steps = 0;
    engine::ColorValue barColor = 0;

    // The bar over the preview counts a save, the one over the source view an open.
    void watch(frmMain& w, shell::MoxelBar* bar)
    {
        QTimer::singleShot(0, &w, [this, &w, bar] {
            seen = true;
            barShown = bar->isVisible();
            steps = bar->Max();
            barColor = bar->BarColor();
            commandsDisabled = !w.cmdBrws->isEnabled() && !w.Frame1->isEnabled() && !w.cmdPrev->isEnabled()
                && !w.cmdMake->isEnabled() && !w.cmdQuit->isEnabled();
            w.close(); // held back until the call has returned
        });
    }
};

TEST_F(QpxRoad, TheWindowKeepsHandlingEventsAndShowsProgressWhileTheControlWorks)
{
    frmMain& w = open();
    w.show();
    const QString photo = write(QStringLiteral("png"));
    browse(photo);
    w.optFilt[2]->click(); // red
    w.cmdPrev->click();

    const QString archive = pictures + QStringLiteral("sea.qpx");
    DuringTheCall saving;
    saving.watch(w, w.mxbPrv);
    create(archive);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(saving.seen) << "no event was handled while the QPX file was written";
    EXPECT_TRUE(saving.barShown);
    EXPECT_TRUE(saving.commandsDisabled);
    EXPECT_EQ(saving.steps, 3);
    EXPECT_EQ(saving.barColor, 0x004040C0u) << "the red swatch";
    EXPECT_EQ(w.mxbPrv->Value(), 3) << "every step counted";
    EXPECT_FALSE(w.mxbPrv->isVisible());
    EXPECT_TRUE(QFile::exists(archive));
    EXPECT_TRUE(w.session().OutputTempPath().isEmpty()) << "Create went on to its end before the window closed";
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible()) << "the close asked for meanwhile happens afterwards";

    w.show();
    DuringTheCall opening;
    opening.watch(w, w.mxbSrc);
    browse(archive);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(opening.seen);
    EXPECT_TRUE(opening.barShown);
    EXPECT_TRUE(opening.commandsDisabled);
    EXPECT_EQ(opening.steps, 4) << "the archive unpacked, its bitmap read, the source bitmap written and read";
    EXPECT_EQ(w.mxbSrc->Value(), 4);
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_EQ(w.session().SourcePixels().width, 37);
}

// Closing the window while the control writes or reads a QPX file: the window stays until the
// step has ended and nothing is cleaned up under the control meanwhile; the command then goes on
// to its end, the window closes, and nothing of ours or the control's is left.
TEST_F(QpxRoad, ClosingTheWindowDuringAQpxStepWaitsForItThenLeavesNothingBehind)
{
    const QString photo = write(QStringLiteral("png"));
    const QString archive = pictures + QStringLiteral("sea.qpx");
    QByteArray previewed;
    struct Step {
        const char* what;
        std::function<void()> command;
        std::function<void(const frmMain&)> done; // what the command achieved
    };
    const Step steps[] = {
        {"saving", [&] { create(archive); },
            [&](const frmMain& w) {
                EXPECT_TRUE(w.session().OutputTempPath().isEmpty()) << "Create went on to its end";
                QProcess lhasa;
                lhasa.start(QStringLiteral("lhasa"), {QStringLiteral("t"), archive});
                lhasa.waitForFinished(30000);
                EXPECT_EQ(lhasa.exitCode(), 0) << lhasa.readAll().toStdString();
            }},
        {"opening", [&] { browse(archive); },
            [&](const frmMain& w) {
                EXPECT_EQ(w.txtFile->text(), archive) << "the open went on to its end";
                const engine::SourcePixels& grid = w.session().SourcePixels();
                ASSERT_EQ(grid.width, 37);
                ASSERT_EQ(previewed.size(), 54 + 23 * 112);
                for (int y = 1; y <= grid.height; ++y)
                    EXPECT_EQ(std::memcmp(grid.row(y), previewed.constData() + 54 + (y - 1) * 112, 3 * 37), 0)
                        << "row " << y << " is the saved picture's";
            }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        frmMain& w = open();
        w.show();
        browse(photo);
        w.optFilt[1]->click(); // sepia
        w.cmdPrev->click();
        const QString output = w.session().OutputTempPath();
        if (previewed.isEmpty())
            previewed = testsupport::readFile(output);

        bool seen = false, stillShown = false, outputKept = false;
        QTimer::singleShot(0, &w, [&] {
            seen = true;
            w.close();
            stillShown = w.isVisible();
            outputKept = QFile::exists(output);
        });
        step.command();
        ASSERT_TRUE(seen) << "no event was handled during the step";
        EXPECT_TRUE(stillShown) << "the window waits for the step";
        EXPECT_TRUE(outputKept) << "nothing is cleaned up while the control works";
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        step.done(w);
        QCoreApplication::processEvents();
        EXPECT_FALSE(w.isVisible()) << "the close asked for meanwhile happens afterwards";
        EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(controlFiles().isEmpty()) << controlFiles().join(QLatin1Char(' ')).toStdString();
    }
}

// Escape during each step of writing or reading a QPX file stops it: nothing is written (an
// archive already there stays byte for byte), the control's work folders are gone, and the window,
// the session and the temporary folder are as they were before the command.
TEST_F(QpxRoad, EscapeDuringEachQpxStepStopsItAndLeavesEverythingAsItWas)
{
    frmMain& w = open();
    w.show();
    // Large enough that the archiver is still at work when Escape comes.
    const QString photo = write(QStringLiteral("png"), QStringLiteral("photo.png"), sample(2000, 1500));
    const QString small = write(QStringLiteral("png"));
    const QString archive = pictures + QStringLiteral("sea.qpx");
    browse(small);
    create(archive); // an archive already there, which a stopped save must leave alone
    const QByteArray archiveBefore = testsupport::readFile(archive);
    browse(photo);
    w.optFilt[1]->click();
    w.cmdPrev->click();
    const QString output = w.session().OutputTempPath();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    // Presses Escape once the given number of steps has ended, that is during the next one.
    auto escapeAfter = [&](shell::MoxelBar* bar, int done, const std::function<void()>& command) {
        bool pressed = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!pressed && bar->isVisible() && bar->Value() >= done) {
                pressed = true;
                QTest::keyClick(w.txtFile, Qt::Key_Escape);
            }
        });
        timer.start(0);
        command();
        timer.stop();
        EXPECT_TRUE(pressed);
    };
    auto expectAsBefore = [&] {
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(w.txtFile->text(), photo);
        EXPECT_EQ(w.views().source().size(), QSize(2000, 1500));
        EXPECT_TRUE(w.session().PreviewFresh());
        EXPECT_EQ(w.session().OutputTempPath(), output);
        EXPECT_EQ(tempFiles(), QStringList{QFileInfo(output).fileName()});
        EXPECT_TRUE(controlFiles().isEmpty()) << controlFiles().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
        EXPECT_FALSE(w.mxbPrv->isVisible());
        EXPECT_FALSE(w.mxbSrc->isVisible());
    };

    // Saving: the output read as a picture, the control's work bitmap, the archive.
    for (int done = 0; done < 3; ++done) {
        SCOPED_TRACE(testing::Message() << "saving, Escape after " << done << " steps");
        escapeAfter(w.mxbPrv, done, [&] { create(archive); });
        expectAsBefore();
        EXPECT_EQ(testsupport::readFile(archive), archiveBefore) << "nothing was written";
    }
    // Opening: the archive unpacked, its bitmap read, the source bitmap written and read back.
    for (int done = 0; done < 4; ++done) {
        SCOPED_TRACE(testing::Message() << "opening, Escape after " << done << " steps");
        escapeAfter(w.mxbSrc, done, [&] { browse(archive); });
        expectAsBefore();
    }
}

} // namespace

