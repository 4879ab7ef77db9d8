#include "velmor/shell/japanese.h"
#include "velmor/shell/moxelbar.h"
#include "velmor/shell/scripteddialogs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

TEST(CommonDialog, FilterTextBecomesCaselessQtNameFilters)
{
    const struct {
        const char* filter;
        QStringList expected;
    } cases[] = {
        {"ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp", {"ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp) (*.[bB][mM][pP])"}},
        {"Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|すべてのﾌｧｲﾙ(*.*)|*.*",
            {"Jpegﾌｧｲﾙ(*.jpg,*.jpeg) (*.[jJ][pP][gG] *.[jJ][pP][eE][gG])", "すべてのﾌｧｲﾙ(*.*) (*)"}},
        {"", {}},
        {"dangling description", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell::nameFiltersFor(QString::fromUtf8(c.filter)), c.expected) << c.filter;
}

TEST(CommonDialog, CancelIsError32755AndChangesNothing)
{
    auto script = std::make_shared<shell::ScriptedDialogs>();
    shell::CommonDialog dialog(nullptr, script);
    script->files = {QStringLiteral("/pics/a.bmp"), std::nullopt};
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, QStringLiteral("/pics/a.bmp"));
    try {
        dialog.ShowSave();
        FAIL() << "no error";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), 32755);
    }
    EXPECT_EQ(dialog.FileName, QStringLiteral("/pics/a.bmp"));
    EXPECT_EQ(script->fileRequests.back().fileName, QStringLiteral("/pics/a.bmp")) << "opens at the last path";
    EXPECT_TRUE(script->fileRequests.back().save);

    script->colors = {std::nullopt};
    dialog.Color = 0x123456;
    EXPECT_FALSE(shell::confirmed([&] { dialog.ShowColor(); }));
    EXPECT_EQ(dialog.Color, 0x123456);
}

TEST(JapaneseInterface, QtsOwnDialogTextsAreJapanese)
{
    ASSERT_TRUE(shell::installJapaneseTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("開く(&O)"));
}

TEST(MoxelBar, StartsWithItsStoredSettingsAndNeverStepsPastMax)
{
    shell::MoxelBar bar;
    EXPECT_EQ(bar.text(), QStringLiteral("処理中..."));
    EXPECT_EQ(bar.BarColor(), 0x0000C000);
    EXPECT_EQ(bar.font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_DOUBLE_EQ(bar.font().pointSizeF(), 11.25);
    bar.setMax(2);
    bar.setMin(0);
    bar.setValue(0);
    for (int i = 0; i < 3; ++i)
        bar.StepIt();
    EXPECT_EQ(bar.Value(), 2);
}

} // namespace
