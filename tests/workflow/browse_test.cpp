#include "road.h"

#include <QLineEdit>
#include <QStandardPaths>

namespace {

using Browse = RoadFixture;

TEST_F(Browse, OpensEachKindOfPictureIntoViewGridAndField)
{
    frmMain& w = open();
    for (const char* kind : {"bmp", "jpg", "gif", "png"}) {
        SCOPED_TRACE(kind);
        const QString path = write(QString::fromLatin1(kind));
        browse(path);
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

        const QImage expected = platform::toBgr888(platform::loadPicture(path));
        EXPECT_EQ(w.txtFile->text(), path);
        EXPECT_EQ(w.picSrc->size(), expected.size());
        EXPECT_EQ(w.session().SourcePixels().width, expected.width());
        EXPECT_EQ(w.session().SourcePixels().height, expected.height());
        // Grid row 1 is the bottom row of the picture.
        EXPECT_EQ(0, std::memcmp(w.session().SourcePixels().row(1), expected.constScanLine(expected.height() - 1), 3 * std::size_t(expected.width())));
        EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
        EXPECT_FALSE(w.session().PreviewFresh());
        EXPECT_TRUE(w.session().SourceTempPath().isEmpty()) << "it names no file once the bitmap is read";
        EXPECT_TRUE(tempFiles().isEmpty()) << "the temporary source bitmap is gone once read";
    }
    const dialogs::FileDialogRequest& r = dialogs->fileRequests.back();
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.title, QStringLiteral("元画像の読込"));
    // Every picture first, then the designed entries with PNG, TIFF and WebP before every file.
    EXPECT_TRUE(r.filter.startsWith(QStringLiteral("すべての画像ﾌｧｲﾙ|*.bmp;*.qpx;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.webp")));
    EXPECT_TRUE(r.filter.endsWith(QStringLiteral("|ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|QPXﾌｧｲﾙ(*.qpx)|*.qpx|Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|GIFﾌｧｲﾙ(*.gif)|*.gif|PNGﾌｧｲﾙ(*.png)|*.png|TIFFﾌｧｲﾙ(*.tif,*.tiff)|*.tif;*.tiff|WebPﾌｧｲﾙ(*.webp)|*.webp|すべてのﾌｧｲﾙ(*.*)|*.*")))
        << r.filter.toStdString();
    EXPECT_EQ(r.flags, 0x281004);
    EXPECT_EQ(r.fileName, pictures + QStringLiteral("sample.gif")) << "the dialog opens at the last path chosen";
}

TEST_F(Browse, OpeningShowsTheNewPictureLiveInThePreviewAndMakesItStale)
{
    frmMain& w = open();
    browse(write(QStringLiteral("png")));
    w.cmdPrev->click();
    ASSERT_TRUE(w.session().PreviewFresh());
    browse(write(QStringLiteral("bmp"), QStringLiteral("small.bmp"), sample(5, 4)));
    EXPECT_TRUE(w.views().rendered().isNull()) << "the live preview of the new picture, not the old output";
    EXPECT_FALSE(w.session().PreviewFresh());
    EXPECT_TRUE(w.cmdPrev->isEnabled());
    EXPECT_TRUE(w.cmdMake->isEnabled());
    EXPECT_EQ(w.picPrev->size(), QSize(5, 4)) << "the layout followed the new source";
}

TEST_F(Browse, CancelLeavesEverythingAsItWas)
{
    frmMain& w = open();
    const QString path = write(QStringLiteral("png"));
    browse(path);
    w.cmdPrev->click();
    const QString output = w.session().OutputTempPath();
    const QImage preview = w.views().rendered();

    dialogs->files.push_back(std::nullopt);
    w.cmdBrws->click();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(w.txtFile->text(), path);
    EXPECT_EQ(w.views().rendered(), preview);
    EXPECT_TRUE(w.session().PreviewFresh());
    EXPECT_EQ(w.session().OutputTempPath(), output);
    EXPECT_TRUE(QFile::exists(output));
}

TEST_F(Browse, AFailedOpenKeepsThePreviousSourceWhole)
{
    frmMain& w = open();
    const QString good = write(QStringLiteral("png"));
    browse(good);
    const QSize size = w.picSrc->size();
    const std::vector<std::uint8_t> grid = w.session().SourcePixels().bytes;

    QFile text(pictures + QStringLiteral("notes.bmp"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all");
    text.close();
    QByteArray jpeg = testsupport::readFile(write(QStringLiteral("jpg")));
    QFile cut(pictures + QStringLiteral("cut.jpg"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(jpeg.left(jpeg.size() / 2));
    cut.close();

    struct Case {
        const char* what;
        QString path;
        QString tempFolder;
    };
    const Case cases[] = {
        {"no picture", text.fileName(), tempFolder},
        {"a truncated photo", cut.fileName(), tempFolder},
        {"a file gone since the dialog", pictures + QStringLiteral("gone.png"), tempFolder},
        {"a temporary folder that refuses the bitmap", write(QStringLiteral("bmp")), dir.path() + QStringLiteral("/missing/")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        useTempFolder(c.tempFolder);
        browse(c.path);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("開けませんでした"))) << messages[0].toStdString();
        EXPECT_EQ(w.txtFile->text(), good);
        EXPECT_EQ(w.picSrc->size(), size);
        EXPECT_EQ(w.session().SourcePixels().bytes, grid);
        EXPECT_TRUE(tempFiles().isEmpty());
    }
}

TEST_F(Browse, TheFirstOpenDialogStartsInTheFolderOfTheLastRunElseInThePicturesFolder)
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString fallback = QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
    const struct {
        const char* what;
        QString stored;
        QString expected;
    } cases[] = {
        {"nothing stored", {}, fallback},
        {"a folder that is gone", dir.path() + QStringLiteral("/gone"), fallback},
        {"the folder of the last run", this->pictures.chopped(1), this->pictures.chopped(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.stored.isEmpty())
            store(QStringLiteral("Setting/LastFolder"), c.stored);
        open();
        dialogs->files.push_back(std::nullopt);
        window->cmdBrws->click();
        EXPECT_EQ(dialogs->fileRequests.back().initDir, c.expected);
        EXPECT_TRUE(dialogs->fileRequests.back().fileName.isEmpty());
    }

    // Opening a picture keeps its folder for the next run; a failed opening does not.
    QDir().mkpath(dir.path() + QStringLiteral("/elsewhere"));
    const QString bad = dir.path() + QStringLiteral("/elsewhere/broken.png");
    testsupport::writeFile(bad, "not a picture");
    browse(bad);
    EXPECT_EQ(stored(QStringLiteral("Setting/LastFolder")), this->pictures.chopped(1));
    EXPECT_EQ(messages.size(), 1);
    const QString good = dir.path() + QStringLiteral("/elsewhere/good.png");
    ASSERT_TRUE(sample().save(good));
    browse(good);
    EXPECT_EQ(stored(QStringLiteral("Setting/LastFolder")), dir.path() + QStringLiteral("/elsewhere"));
}

TEST_F(Browse, APictureNamedByPathOpensWithoutTheDialog)
{
    frmMain& w = open();
    const QString path = write(QStringLiteral("bmp"));
    w.openPicture(path);
    EXPECT_TRUE(dialogs->fileRequests.empty());
    EXPECT_EQ(w.txtFile->text(), path);
    EXPECT_EQ(w.session().SourcePixels().width, 37);
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    w.openPicture(pictures + QStringLiteral("missing.png"));
    EXPECT_EQ(messages.size(), 1) << "a picture that cannot be opened is reported";
    EXPECT_EQ(w.txtFile->text(), path);
}

} // namespace
