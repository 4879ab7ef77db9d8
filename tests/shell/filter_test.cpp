#include "window_fixture.h"

#include <QRadioButton>
#include <QtTest/QTest>

namespace {

using FilterChoice = WindowFixture;

TEST_F(FilterChoice, AnyOptionClickMakesThePreviewStale)
{
    frmMain& w = open();
    w.show();
    loadSource(2, 2);
    for (int i = 0; i < 6; ++i) {
        makePreviewFresh();
        QTest::mouseClick(w.optFilt[i], Qt::LeftButton);
        EXPECT_TRUE(w.optFilt[i]->isChecked()) << i;
        EXPECT_FALSE(w.session().PreviewFresh()) << i;
    }
}

// A swatch does what it looks like: a click, Space or Return chooses its filter, as a click on its
// option does; only the custom swatch opens the colour dialog, on a double-click.
TEST_F(FilterChoice, SwatchesChooseTheirFilterAndOnlyTheCustomOneOpensTheColourDialog)
{
    frmMain& w = open();
    w.show();
    loadSource(2, 2);
    const engine::ColorValue colours[] = {0x00808080, 0x0040C0C0, 0x004040C0, 0x00C04040, 0x0040C040};
    for (int i = 4; i >= 0; --i) {
        SCOPED_TRACE(i);
        makePreviewFresh();
        QTest::mouseClick(w.picFilt[i], Qt::LeftButton);
        EXPECT_TRUE(w.optFilt[i]->isChecked());
        EXPECT_EQ(w.session().FilterColor(), colours[i]);
        EXPECT_FALSE(w.session().PreviewFresh()) << "a choice, even of the filter already chosen";
        EXPECT_EQ(w.views().filter(), colours[i]) << "the live preview follows at once";
        QTest::mouseDClick(w.picFilt[i], Qt::LeftButton);
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
            w.optFilt[(i + 1) % 5]->click();
            w.picFilt[i]->setFocus();
            QTest::keyClick(w.picFilt[i], key);
            EXPECT_TRUE(w.optFilt[i]->isChecked()) << key;
        }
    }
    EXPECT_TRUE(dialogs->colorRequests.empty());

    // The custom swatch: a click chooses ｶｽﾀﾑ without a dialog; a double-click asks for the colour.
    QTest::mouseClick(w.picFilt[5], Qt::LeftButton);
    EXPECT_TRUE(w.optFilt[5]->isChecked());
    EXPECT_TRUE(dialogs->colorRequests.empty());
    dialogs->colors.push_back(0x00336699);
    QTest::mouseDClick(w.picFilt[5], Qt::LeftButton);
    EXPECT_EQ(dialogs->colorRequests.size(), 1u);
    EXPECT_EQ(w.session().FilterColor(), 0x00336699u);
    EXPECT_EQ(w.views().filter(), 0x00336699u);
}

TEST_F(FilterChoice, TheFocusedCustomSwatchOpensTheColourDialogOnReturnOrSpace)
{
    frmMain& w = open();
    w.show();
    const struct {
        Qt::Key key;
        engine::ColorValue chosen;
    } presses[] = {{Qt::Key_Return, 0x00102030}, {Qt::Key_Enter, 0x00405060}, {Qt::Key_Space, 0x00708090}};
    for (const auto& p : presses) {
        SCOPED_TRACE(p.key);
        w.picFilt[5]->setFocus();
        dialogs->colors.push_back(p.chosen);
        QTest::keyClick(w.picFilt[5], p.key);
        EXPECT_EQ(w.CustomColor(), p.chosen);
        EXPECT_EQ(w.picFilt[5]->backColor(), p.chosen);
    }
    EXPECT_EQ(dialogs->colorRequests.size(), 3u);
    QTest::keyClick(w.picFilt[5], Qt::Key_A); // other keys do nothing
    EXPECT_EQ(dialogs->colorRequests.size(), 3u);
}

TEST_F(FilterChoice, AConfirmedColourIsShownStoredAtOnceAndLeavesTheSelectionAlone)
{
    frmMain& w = open();
    w.show();
    w.optFilt[2]->setChecked(true);
    loadSource(2, 2);

    struct Step {
        std::optional<engine::ColorValue> answer; // nothing: Cancel
        engine::ColorValue expectedStart;
        engine::ColorValue expectedAfter;
    };
    const Step steps[] = {
        {0x00C0C040, 0, 0x00C0C040},          // from black, as the first start has it
        {std::nullopt, 0x00C0C040, 0x00C0C040}, // Cancel changes nothing
        {0x00C0C040, 0x00C0C040, 0x00C0C040},  // the same colour confirmed is stored again
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << s.expectedAfter);
        QSettings(settingsFile, QSettings::IniFormat).remove(QStringLiteral("Setting/CustomFilter"));
        makePreviewFresh();
        dialogs->colors.push_back(s.answer);
        QTest::mouseDClick(w.picFilt[5], Qt::LeftButton);

        ASSERT_FALSE(dialogs->colorRequests.empty());
        const dialogs::ColorDialogRequest& r = dialogs->colorRequests.back();
        EXPECT_EQ(r.title, QStringLiteral("カスタムフィルタ基本色の選択"));
        EXPECT_EQ(r.flags, 3);
        EXPECT_EQ(r.color, s.expectedStart);
        EXPECT_EQ(w.CustomColor(), s.expectedAfter);
        EXPECT_EQ(w.picFilt[5]->backColor(), s.expectedAfter);
        EXPECT_EQ(stored(QStringLiteral("Setting/CustomFilter")), s.answer ? QStringLiteral("00C0C040") : QString());
        EXPECT_EQ(w.session().PreviewFresh(), !s.answer);
        EXPECT_TRUE(w.optFilt[2]->isChecked());
    }

    // The next start shows it again.
    window.reset();
    EXPECT_EQ(open().picFilt[5]->backColor(), 0x00C0C040);
}

TEST_F(FilterChoice, AStoreThatRefusesTheColourIsReportedAndTheColourStillApplies)
{
    frmMain& w = open();
    QFile::remove(settingsFile);
    QDir().rmdir(QFileInfo(settingsFile).path());
    QFile blocker(QFileInfo(settingsFile).path()); // a file where the store's folder was
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialogs->colors.push_back(0x00123456);
    w.picFilt_DblClick(5);
    EXPECT_EQ(w.picFilt[5]->backColor(), 0x00123456);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("設定を保存できません")));
}

} // namespace
