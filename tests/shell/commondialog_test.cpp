#include "velmor/dialogs/japanese.h"
#include "velmor/shell/moxelbar.h"
#include "tests/support/scripteddialogs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

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
        EXPECT_EQ(dialogs::nameFiltersFor(QString::fromUtf8(c.filter)), c.expected) << c.filter;
}

TEST(CommonDialog, CancelAnswersNothingAndChangesNothing)
{
    auto script = std::make_shared<dialogs::ScriptedDialogs>();
    dialogs::CommonDialog dialog(nullptr, script);
    script->files = {QStringLiteral("/pics/a.bmp"), std::nullopt};
    EXPECT_EQ(dialog.ShowOpen({}), QStringLiteral("/pics/a.bmp"));
    EXPECT_EQ(dialog.FileName, QStringLiteral("/pics/a.bmp"));
    EXPECT_EQ(dialog.ShowSave({}), std::nullopt);
    EXPECT_EQ(dialog.FileName, QStringLiteral("/pics/a.bmp"));
    EXPECT_EQ(script->fileRequests.back().fileName, QStringLiteral("/pics/a.bmp")) << "opens at the last path";
    EXPECT_TRUE(script->fileRequests.back().save);

    script->colors = {std::nullopt};
    EXPECT_EQ(dialog.ShowColor({}, 0x123456, 0), std::nullopt);
    EXPECT_EQ(script->colorRequests.back().color, 0x123456);
}

TEST(CommonDialog, NothingOfOneDialogReachesTheNext)
{
    auto script = std::make_shared<dialogs::ScriptedDialogs>();
    dialogs::CommonDialog dialog(nullptr, script);
    script->files = {QStringLiteral("/pics/out.bmp"), QStringLiteral("/pics/in.jpg")};
    dialog.ShowSave({QStringLiteral("save"), QStringLiteral("b|*.bmp"), QStringLiteral("bmp"), 0x2});
    dialog.ShowOpen({QStringLiteral("open"), QStringLiteral("all|*.*"), {}, 0x1000});
    const dialogs::FileDialogRequest& open = script->fileRequests.back();
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.title, QStringLiteral("open"));
    EXPECT_EQ(open.filter, QStringLiteral("all|*.*"));
    EXPECT_TRUE(open.defaultExt.isEmpty()) << "the save dialog's extension stays with it";
    EXPECT_EQ(open.flags, 0x1000);
    EXPECT_EQ(open.fileName, QStringLiteral("/pics/out.bmp")) << "only the last path carries over";
}

TEST(CommonDialog, TheChosenTypeDecidesTheExtensionOfABareName)
{
    const QString save = QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|QPXﾌｧｲﾙ(*.qpx)|*.qpx|すべてのﾌｧｲﾙ(*.*)|*.*");
    const QString open = QStringLiteral("Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|GIF(*.gif*)|*.gif*|何でも|*");
    const struct {
        const QString& filter;
        int index;
        const char* expected;
    } cases[] = {
        {save, 0, "bmp"}, {save, 1, "qpx"}, {save, 2, "dflt"}, {save, 3, "dflt"}, {save, -1, "dflt"},
        {open, 0, "jpg"}, {open, 1, "dflt"}, {open, 2, "dflt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialogs::suffixForFilter(c.filter, c.index, QStringLiteral("dflt")), QLatin1String(c.expected))
            << c.filter.toStdString() << " entry " << c.index;

    // Qt's own dialog, never shown, confirmed with a bare name under each type.
    QTemporaryDir dir;
    const struct {
        int type;
        const char* name;
        const char* expected;
    } typed[] = {{0, "typetest", "typetest.bmp"}, {1, "typetest", "typetest.qpx"}, {2, "typetest", "typetest.bmp"},
        {1, "photo.bmp", "photo.bmp"}};
    for (const auto& t : typed) {
        const auto dialog = dialogs::makeFileDialog(nullptr, {true, {}, save, QStringLiteral("bmp"), 0, {}, dir.path()});
        dialog->selectNameFilter(dialog->nameFilters().at(t.type));
        dialog->selectFile(QLatin1String(t.name));
        QMetaObject::invokeMethod(dialog.get(), "accept"); // the OK button
        const QString expected = dir.path() + QLatin1Char('/') + QLatin1String(t.expected);
        EXPECT_EQ(dialog->selectedFiles().value(0).toStdString(), expected.toStdString()) << t.type;
    }
}

TEST(CommonDialog, AFileDialogOpensAtTheLastPathElseAtItsInitialFolder)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("a"));
    QDir(dir.path()).mkpath(QStringLiteral("b"));
    const auto first = dialogs::makeFileDialog(nullptr, {false, {}, QStringLiteral("all|*.*"), {}, 0, {}, dir.path() + QStringLiteral("/a")});
    EXPECT_EQ(first->directory().absolutePath(), dir.path() + QStringLiteral("/a"));
    const auto again = dialogs::makeFileDialog(nullptr,
        {false, {}, QStringLiteral("all|*.*"), {}, 0, dir.path() + QStringLiteral("/b/x.png"), dir.path() + QStringLiteral("/a")});
    EXPECT_EQ(again->directory().absolutePath(), dir.path() + QStringLiteral("/b"));
}

TEST(JapaneseInterface, QtsOwnDialogTextsAreJapanese)
{
    ASSERT_TRUE(dialogs::installJapaneseTranslations(*QCoreApplication::instance()));
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
