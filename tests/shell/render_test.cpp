#include "window_fixture.h"

#include "velmor/engine/renderfilter.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>

namespace {

using WindowRender = WindowFixture;

// Records the order in which the five commands change their enabled state.
struct EnabledLog : QObject {
    QStringList changes;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::EnabledChange)
            changes << o->objectName() + (static_cast<QWidget*>(o)->isEnabled() ? QStringLiteral("+") : QStringLiteral("-"));
        return false;
    }
};

TEST_F(WindowRender, DisablesTheCommandsInOrderCountsRowsAndEnablesThemAgain)
{
    frmMain& w = open();
    w.show();
    loadSource(5, 7);
    w.optFilt[1]->setChecked(true);

    EnabledLog log;
    for (QWidget* c : std::initializer_list<QWidget*>{w.cmdBrws, w.Frame1, w.cmdPrev, w.cmdMake, w.cmdQuit})
        c->installEventFilter(&log);
    bool barShown = false;
    bool optionsKeptTheirOwnState = false;
    QTimer::singleShot(0, &w, [&] {
        barShown = w.mxbPrv->isVisible();
        optionsKeptTheirOwnState = !w.optFilt[3]->isEnabled() && w.optFilt[3]->isEnabledTo(w.Frame1);
        dialogs->colors.clear();
        QTest::mouseDClick(w.picFilt[5], Qt::LeftButton); // ignored: the frame is disabled
    });
    w.cmdPrev->click();

    EXPECT_EQ(log.changes, QStringList({"cmdBrws-", "Frame1-", "cmdPrev-", "cmdMake-", "cmdQuit-",
                               "cmdBrws+", "Frame1+", "cmdPrev+", "cmdMake+", "cmdQuit+"}));
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(optionsKeptTheirOwnState);
    EXPECT_TRUE(dialogs->colorRequests.empty());
    EXPECT_FALSE(w.mxbPrv->isVisible());
    EXPECT_EQ(w.mxbPrv->Max(), 7);
    EXPECT_EQ(w.mxbPrv->Min(), 0);
    EXPECT_EQ(w.mxbPrv->Value(), 7) << "one step a row";
    EXPECT_EQ(w.mxbPrv->BarColor(), 0x0040C0C0) << "the sepia swatch";
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_TRUE(w.optFilt[3]->isEnabled());
}

TEST_F(WindowRender, ANewOutputReplacesTheFileOfTheOldOne)
{
    frmMain& w = open();
    loadSource(3, 2);
    w.cmdPrev->click();
    const QString first = w.session().OutputTempPath();
    ASSERT_TRUE(QFile::exists(first));
    w.cmdPrev->click();
    EXPECT_NE(w.session().OutputTempPath(), first);
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_EQ(tempFiles(), QStringList{QFileInfo(w.session().OutputTempPath()).fileName()});
}

TEST_F(WindowRender, ClosingTheWindowStopsTheRenderDeletesItsOutputThenCloses)
{
    frmMain& w = open();
    w.show();
    loadSource(64, 64);
    QTimer::singleShot(0, &w, [&] { w.close(); });
    EXPECT_THROW(w.RenderFilter(w.session().renderJob()), engine::RenderCancelled);
    EXPECT_TRUE(w.isVisible()) << "not while the render was unwinding";
    EXPECT_EQ(w.activity(), Activity::ClosingAfterCancel);
    EXPECT_EQ(w.commandState(), CommandState::Rendering);
    EXPECT_FALSE(w.cmdBrws->isEnabled() || w.Frame1->isEnabled() || w.cmdQuit->isEnabled()) << "nothing starts before the close";
    EXPECT_TRUE(tempFiles().isEmpty()) << "the incomplete output is gone";
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
}

struct CleanupCase {
    const char* what;
    bool render;
    bool fresh;
    bool sourceLeft;
};

TEST_F(WindowRender, QuittingDeletesTheTemporaryFilesStillOurs)
{
    const CleanupCase cases[] = {
        {"nothing ever opened", false, false, false},
        {"right after a preview", true, true, false},
        {"after a preview and a change of filter", true, false, false},
        {"with a source bitmap left", false, false, true},
    };
    for (const CleanupCase& c : cases) {
        SCOPED_TRACE(c.what);
        QFile foreign(tempFolder + QStringLiteral("someone-elses.bmp"));
        ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
        foreign.close();
        frmMain& w = open();
        loadSource(4, 4);
        if (c.render)
            w.cmdPrev->click();
        if (c.render && !c.fresh)
            w.optFilt_Click(1);
        EXPECT_EQ(w.session().PreviewFresh(), c.fresh);
        if (c.sourceLeft) {
            leaveSourceTemp(tempFolder + QStringLiteral("Velmor20261206081502_042.bmp"));
            QFile f(w.session().SourceTempPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        w.cmdQuit->click();
        EXPECT_EQ(tempFiles(), QStringList{QStringLiteral("someone-elses.bmp")});
        window.reset();
    }
}

} // namespace
