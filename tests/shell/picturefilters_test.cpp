// The file types the open and save dialogs offer, and the name Create proposes: a folder of photos
// shows its photos, and the proposal follows the type the user picks.

#include "tests/support/scripteddialogs.h"
#include "velmor/dialogs/commondialog.h"
#include "velmor/dialogs/picturefilters.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList descriptions(const QString& filter)
{
    const QStringList items = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2)
        out << items[i];
    return out;
}

TEST(PictureFilters, TheOpenDialogStartsOnEveryPictureTheProgramOpens)
{
    const QString filter = dialogs::openPictureFilter();
    EXPECT_EQ(descriptions(filter),
        (QStringList{QStringLiteral("すべての画像ﾌｧｲﾙ"), QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)"), QStringLiteral("QPXﾌｧｲﾙ(*.qpx)"),
            QStringLiteral("Jpegﾌｧｲﾙ(*.jpg,*.jpeg)"), QStringLiteral("GIFﾌｧｲﾙ(*.gif)"), QStringLiteral("PNGﾌｧｲﾙ(*.png)"),
            QStringLiteral("TIFFﾌｧｲﾙ(*.tif,*.tiff)"), QStringLiteral("WebPﾌｧｲﾙ(*.webp)"), QStringLiteral("すべてのﾌｧｲﾙ(*.*)")}));
    const QStringList every = filter.split(QLatin1Char('|')).at(1).split(QLatin1Char(';'));
    EXPECT_TRUE(every.contains(QStringLiteral("*.qpx")));
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        EXPECT_TRUE(every.contains(QStringLiteral("*.") + QString::fromLatin1(format))) << format.constData();
    for (const char* mustHave : {"*.jpg", "*.jpeg", "*.png", "*.gif", "*.bmp", "*.tif", "*.tiff", "*.webp"})
        EXPECT_TRUE(every.contains(QLatin1String(mustHave))) << mustHave;

    // Qt's dialog, never shown: the first entry is the chosen one, and a folder of photos in any
    // case of extension shows them all and nothing else.
    QTemporaryDir dir;
    for (const char* name : {"koi.JPG", "sea.jpeg", "scan.tif", "web.webp", "old.bmp", "notes.txt", "koi.qpx"})
        QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    const auto dialog = dialogs::makeFileDialog(nullptr, {false, {}, filter, {}, 0x1000, {}, dir.path()});
    EXPECT_TRUE(dialog->nameFilters().constFirst().startsWith(dialog->selectedNameFilter()));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("すべての画像ﾌｧｲﾙ"));
    const QString shown = dialogs::nameFiltersFor(filter).constFirst();
    const QStringList patterns = shown.mid(shown.indexOf(QLatin1Char('(')) + 1).chopped(1).split(QLatin1Char(' '));
    EXPECT_EQ(QDir(dir.path()).entryList(patterns, QDir::Files, QDir::Name),
        (QStringList{QStringLiteral("koi.JPG"), QStringLiteral("koi.qpx"), QStringLiteral("old.bmp"), QStringLiteral("scan.tif"),
            QStringLiteral("sea.jpeg"), QStringLiteral("web.webp")}));
}

TEST(PictureFilters, TheSaveDialogKeepsItsDesignedEntriesAndAddsTheFormats)
{
    const QString filter = dialogs::savePictureFilter();
    EXPECT_EQ(descriptions(filter),
        (QStringList{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)"), QStringLiteral("QPXﾌｧｲﾙ(*.qpx)"), QStringLiteral("Jpegﾌｧｲﾙ(*.jpg,*.jpeg)"),
            QStringLiteral("PNGﾌｧｲﾙ(*.png)"), QStringLiteral("TIFFﾌｧｲﾙ(*.tif,*.tiff)"), QStringLiteral("WebPﾌｧｲﾙ(*.webp)"),
            QStringLiteral("すべてのﾌｧｲﾙ(*.*)")}));
    const char* extensions[] = {"bmp", "qpx", "jpg", "png", "tif", "webp", "bmp"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(dialogs::suffixForFilter(filter, i, QStringLiteral("bmp")), QLatin1String(extensions[i])) << i;
}

TEST(PictureFilters, CreateProposesTheSourcesNameWithTheFiltersCaption)
{
    EXPECT_EQ(dialogs::proposedName(QStringLiteral("/p/koi.jpg"), QStringLiteral("ｾﾋﾟｱ"), QStringLiteral("bmp")), QStringLiteral("koi_ｾﾋﾟｱ.bmp"));
    EXPECT_EQ(dialogs::proposedName(QStringLiteral("/p/sea.old.png"), QStringLiteral("赤"), QStringLiteral("jpg")), QStringLiteral("sea.old_赤.jpg"));
    EXPECT_EQ(dialogs::proposedName(QStringLiteral("/p/.hidden"), QStringLiteral("ﾓﾉｸﾛ"), QStringLiteral("bmp")), QStringLiteral(".hidden_ﾓﾉｸﾛ.bmp"));
    EXPECT_EQ(dialogs::proposedName(QString(), QStringLiteral("ｶｽﾀﾑ"), QStringLiteral("bmp")), QStringLiteral("ｶｽﾀﾑ.bmp"));

    // The dialog opens on the proposal in the folder of the path chosen last.
    auto script = std::make_shared<dialogs::ScriptedDialogs>();
    dialogs::CommonDialog dialog(nullptr, script);
    script->files = {QStringLiteral("/pics/koi.jpg"), std::nullopt};
    dialog.ShowOpen({});
    dialog.ShowSave({QStringLiteral("save"), dialogs::savePictureFilter(), QStringLiteral("bmp"), 0, QStringLiteral("koi_ｾﾋﾟｱ.bmp")});
    EXPECT_EQ(script->fileRequests.back().fileName, QStringLiteral("/pics/koi_ｾﾋﾟｱ.bmp"));
}

TEST(PictureFilters, ThePickedTypeGivesTheProposedNameItsExtension)
{
    const QString filter = dialogs::savePictureFilter(); // 2 JPEG, 3 PNG, 6 every file
    const struct {
        const char* name;
        int entry;
        const char* expected;
    } cases[] = {
        {"koi_ｾﾋﾟｱ.bmp", 2, "koi_ｾﾋﾟｱ.jpg"}, {"koi_ｾﾋﾟｱ.[jJ][pP][gG]", 3, "koi_ｾﾋﾟｱ.png"}, {"KOI.BMP", 3, "KOI.png"},
        {"notes.txt", 3, "notes.txt"}, {"koi_ｾﾋﾟｱ.bmp", 6, "koi_ｾﾋﾟｱ.bmp"}, {"bare", 2, "bare"}, {".bmp", 2, ".bmp"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialogs::nameForChosenEntry(filter, c.entry, QString::fromUtf8(c.name)), QString::fromUtf8(c.expected)) << c.name;

    // Qt's own dialog, never shown: the user picks JPEG, then confirms.
    QTemporaryDir dir;
    const auto dialog = dialogs::makeFileDialog(nullptr,
        {true, {}, filter, QStringLiteral("bmp"), 0x2, dir.filePath(QStringLiteral("koi_ｾﾋﾟｱ.bmp")), {}});
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(types && name);
    EXPECT_EQ(name->text(), QStringLiteral("koi_ｾﾋﾟｱ.bmp"));
    types->setCurrentIndex(2);
    emit types->activated(2);
    emit types->textActivated(types->currentText());
    EXPECT_EQ(name->text(), QStringLiteral("koi_ｾﾋﾟｱ.jpg"));
    QMetaObject::invokeMethod(dialog.get(), "accept");
    EXPECT_EQ(dialog->selectedFiles().value(0), dir.filePath(QStringLiteral("koi_ｾﾋﾟｱ.jpg")));
}

} // namespace
