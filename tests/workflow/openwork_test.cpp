// Opening a picture on a worker: the window keeps handling its events, shows the work over the
// source view with a busy cursor, shows a large photo first from a reduced decode, and keeps the
// previous picture whole until the new one is in. Escape at any step stops the open and leaves
// the window, the session and the temporary folder as they were.

#include "road.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>

namespace {

struct OpenWork : RoadFixture {
    OpenWork() { screenArea = QRect(0, 0, 1920, 1080); }

    // A photo of 4.3 megapixels, large enough for a first view on this screen.
    QString largeJpeg() { return write(QStringLiteral("jpg"), QStringLiteral("large.jpg"), sample(2400, 1800)); }

    // Runs check at every pass of the event loop while action runs.
    void whileRunning(const std::function<void()>& action, const std::function<void()>& check)
    {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, check);
        timer.start(0);
        action();
        timer.stop();
    }
};

TEST_F(OpenWork, TheWindowKeepsWorkingAndShowsALargePhotoFirstReducedThenWhole)
{
    frmMain& w = open();
    w.show();
    const QString small = write(QStringLiteral("png"));
    browse(small);
    const QString large = largeJpeg();

    int passes = 0;
    bool busy = false, barShown = false, commandsDisabled = false, titleKept = true, firstView = false;
    whileRunning([&] { browse(large); }, [&] {
        ++passes;
        busy |= QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        barShown |= w.mxbSrc->isVisible();
        commandsDisabled |= !w.cmdBrws->isEnabled() && !w.Frame1->isEnabled() && !w.cmdQuit->isEnabled();
        titleKept &= w.txtFile->text() == small || w.txtFile->text() == large;
        const views::PicturePixels& shown = w.views().source();
        if (shown.size() == QSize(2400, 1800) && !shown.isWhole()) {
            firstView = true;
            titleKept &= w.windowTitle().startsWith(QStringLiteral("sample.png"));
            EXPECT_EQ(shown.reduced().size(), QSize(1200, 900)) << "a half: the smallest with the detail asked for";
            EXPECT_EQ(w.picPrev->displayed().pixels.size(), w.picSrc->displayed().pixels.size()) << "previewed live";
        }
    });
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(passes, 3) << "events were handled while the picture was read";
    EXPECT_TRUE(busy);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(commandsDisabled);
    EXPECT_TRUE(titleKept) << "the window names the new picture only once it is in";
    EXPECT_TRUE(firstView);
    EXPECT_EQ(w.mxbSrc->Value(), 4) << "first view, decode, temporary bitmap, grid";
    EXPECT_EQ(w.mxbSrc->BarColor(), w.session().FilterColor());
    EXPECT_FALSE(w.mxbSrc->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.views().source().isWhole());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("large.jpg (2400 × 1800) - べるもあ"));
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
}

TEST_F(OpenWork, EscapeAtAnyStepLeavesThePreviousPictureWholeAndNothingBehind)
{
    frmMain& w = open();
    w.show();
    const QString small = write(QStringLiteral("png"));
    const QString large = largeJpeg();
    browse(small);
    w.optFilt[1]->click();
    w.cmdPrev->click();
    const QString output = w.session().OutputTempPath();
    const QImage previewed = w.views().rendered();
    ASSERT_FALSE(previewed.isNull());

    for (int done = 0; done < 4; ++done) {
        SCOPED_TRACE(testing::Message() << "Escape after " << done << " steps");
        bool pressed = false;
        whileRunning([&] { browse(large); }, [&] {
            if (!pressed && w.mxbSrc->isVisible() && w.mxbSrc->Value() >= done) {
                pressed = true;
                QTest::keyClick(w.txtFile, Qt::Key_Escape);
            }
        });
        ASSERT_TRUE(pressed);
        EXPECT_TRUE(w.isVisible()) << "Escape stopped the work; it did not quit";
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(w.txtFile->text(), small);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("sample.png (37 × 23) - べるもあ"));
        EXPECT_EQ(w.views().source().size(), QSize(37, 23));
        EXPECT_EQ(w.session().SourcePixels().width, 37);
        EXPECT_EQ(w.views().rendered(), previewed) << "the preview as it was";
        EXPECT_TRUE(w.session().PreviewFresh());
        EXPECT_EQ(tempFiles(), QStringList{QFileInfo(output).fileName()}) << "no temporary source bitmap left";
        EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
        EXPECT_EQ(w.picSrc->size(), QSize(37, 23)) << "the window's layout as it was";
        EXPECT_FALSE(w.mxbSrc->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // Idle again, Escape quits.
    QTest::keyClick(w.txtFile, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}

} // namespace
