#include "window_fixture.h"

#include "velmor/engine/renderfilter.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

namespace {

using Keys = WindowFixture;

TEST_F(Keys, F1WithAnyModifiersOpensTheHelpAndNoOtherKeyDoes)
{
    frmMain& w = open();
    w.show();
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
        Qt::ControlModifier | Qt::ShiftModifier};
    for (const auto m : modifiers)
        QTest::keyClick(w.txtFile, Qt::Key_F1, m);
    EXPECT_EQ(helpOpened, QStringList(5, programFolder + QStringLiteral("/Velmor.chm")));

    helpOpened.clear();
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_H, Qt::Key_Help, Qt::Key_Return})
        QTest::keyClick(w.cmdBrws, key);
    EXPECT_TRUE(helpOpened.isEmpty());
}

TEST_F(Keys, F1IsConsumedBeforeTheFocusedControlSeesIt)
{
    frmMain& w = open();
    w.show();
    struct Watcher : QObject {
        int seen = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            seen += e->type() == QEvent::KeyPress;
            return false;
        }
    } watcher;
    w.txtFile->installEventFilter(&watcher);
    QTest::keyClick(w.txtFile, Qt::Key_F1);
    QTest::keyClick(w.txtFile, Qt::Key_A);
    EXPECT_EQ(watcher.seen, 1) << "only the A reached the field";
}

TEST_F(Keys, HelpPathIsTheProgramFolderFollowedBySlashVelmorChm)
{
    programFolder = QStringLiteral("/");
    frmMain& w = open();
    EXPECT_EQ(w.helpPath(), QStringLiteral("//Velmor.chm")); // nothing added or removed between the two
}

TEST_F(Keys, F1WorksDuringARender)
{
    frmMain& w = open();
    w.show();
    loadSource(4, 3);
    CommandState during{};
    QTimer::singleShot(0, &w, [&] {
        during = w.commandState();
        QTest::keyClick(w.picSrc, Qt::Key_F1, Qt::ShiftModifier);
    });
    w.cmdPrev->click();
    EXPECT_EQ(during, CommandState::Rendering);
    EXPECT_EQ(helpOpened.size(), 1);
}

TEST_F(Keys, EscapeQuitsWhenIdleAndStopsARender)
{
    frmMain& w = open();
    w.show();
    loadSource(300, 200);
    w.cmdPrev->click();
    const QString earlier = w.session().OutputTempPath();
    ASSERT_TRUE(w.session().PreviewFresh());

    // Escape in the middle of the next render: it stops, and the earlier preview stays fresh.
    QTimer::singleShot(0, &w, [&] { QTest::keyClick(w.txtFile, Qt::Key_Escape); });
    w.cmdPrev->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(w.session().OutputTempPath(), earlier);
    EXPECT_TRUE(w.session().PreviewFresh());
    EXPECT_EQ(tempFiles(), QStringList{QFileInfo(earlier).fileName()}) << "the stopped render left nothing";
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_FALSE(w.mxbPrv->isVisible());

    QTest::keyClick(w.txtFile, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(QFile::exists(earlier)) << "quitting cleaned up";
}

} // namespace
