#include "road.h"

#include <QTimer>

namespace {

using PreviewCreate = RoadFixture;

constexpr engine::ColorValue kCustom = 0x00FF8020;

TEST_F(PreviewCreate, EveryFilterOverEveryKindGivesTheEnginesExactResult)
{
    frmMain& w = open();
    dialogs->colors.push_back(kCustom);
    w.picFilt_DblClick(5);
    const engine::ColorValue colours[] = {0x00808080, 0x0040C0C0, 0x004040C0, 0x00C04040, 0x0040C040, kCustom};
    for (const char* kind : {"bmp", "jpg", "gif", "png"}) {
        const QString path = write(QString::fromLatin1(kind));
        browse(path);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(testing::Message() << kind << " filter " << i);
            w.optFilt[i]->click();
            w.cmdPrev->click();
            ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
            EXPECT_EQ(testsupport::readFile(w.session().OutputTempPath()), expectedOutput(path, colours[i]));
            EXPECT_TRUE(w.session().PreviewFresh());
            EXPECT_EQ(w.views().rendered().convertToFormat(QImage::Format_RGB32),
                platform::loadPicture(w.session().OutputTempPath()).convertToFormat(QImage::Format_RGB32));
            // Each preview replaces the file of the one before: one output in the folder.
            EXPECT_EQ(tempFiles(), QStringList{QFileInfo(w.session().OutputTempPath()).fileName()});
        }
    }
}

TEST_F(PreviewCreate, CreateRightAfterPreviewWritesExactlyWhatThePreviewShowed)
{
    frmMain& w = open();
    RenderCounter counter(w);
    browse(write(QStringLiteral("jpg")));
    w.optFilt[1]->click();
    w.cmdPrev->click();
    const QByteArray previewed = testsupport::readFile(w.session().OutputTempPath());
    const QString output = w.session().OutputTempPath();

    create(pictures + QStringLiteral("out.bmp"));
    EXPECT_EQ(counter.renders, 1) << "the fresh preview was reused";
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("out.bmp")), previewed);
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_TRUE(w.session().OutputTempPath().isEmpty());
    EXPECT_FALSE(w.session().PreviewFresh());
    EXPECT_FALSE(w.views().rendered().isNull()) << "the view keeps the last preview";

    // The second Create in a row renders again; a name the formats do not know still gets the
    // bitmap bytes, and a .PNG name a PNG of the same pixels.
    create(pictures + QStringLiteral("OUT.XYZ"));
    EXPECT_EQ(counter.renders, 2);
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("OUT.XYZ")), previewed);
    create(pictures + QStringLiteral("OUT.PNG"));
    EXPECT_TRUE(testsupport::readFile(pictures + QStringLiteral("OUT.PNG")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(pictures + QStringLiteral("OUT.PNG")).convertToFormat(QImage::Format_RGB888),
        QImage::fromData(previewed).convertToFormat(QImage::Format_RGB888));
    EXPECT_TRUE(tempFiles().isEmpty());

    const dialogs::FileDialogRequest& r = dialogs->fileRequests.back();
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title, QStringLiteral("作成画像の保存"));
    EXPECT_EQ(r.defaultExt, QStringLiteral("bmp"));
    EXPECT_EQ(r.filter, QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|QPXﾌｧｲﾙ(*.qpx)|*.qpx|Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|"
                                       "PNGﾌｧｲﾙ(*.png)|*.png|TIFFﾌｧｲﾙ(*.tif,*.tiff)|*.tif;*.tiff|WebPﾌｧｲﾙ(*.webp)|*.webp|"
                                       "すべてのﾌｧｲﾙ(*.*)|*.*"));
    EXPECT_EQ(r.flags, 0x280002);
    // The source's name with the filter's caption, never the source's own name.
    EXPECT_EQ(r.fileName, pictures + QStringLiteral("sample_ｾﾋﾟｱ.bmp"));
}

// The preview never shows another filter than the one chosen: the monochrome output gives way to
// the live blue preview, and Create's render of blue does not take the preview's place.
TEST_F(PreviewCreate, CreateAfterTheFilterChangedRendersTheNewFilterBesideTheLivePreview)
{
    frmMain& w = open();
    const QString path = write(QStringLiteral("bmp"));
    browse(path);
    w.cmdPrev->click();
    ASSERT_FALSE(w.views().rendered().isNull());
    w.optFilt[3]->click();
    EXPECT_TRUE(w.views().rendered().isNull()) << "the live preview of blue";
    create(pictures + QStringLiteral("blue.bmp"));
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("blue.bmp")), expectedOutput(path, 0x00C04040));
    EXPECT_TRUE(w.views().rendered().isNull());
    EXPECT_EQ(w.views().filter(), 0x00C04040u);
    EXPECT_TRUE(tempFiles().isEmpty());
}

// A preview is fresh only for the picture it was rendered from: after another picture is opened,
// Create renders again and writes the new picture, of its own size.
TEST_F(PreviewCreate, CreateAfterOpeningAnotherPictureWritesTheNewPicture)
{
    frmMain& w = open();
    RenderCounter counter(w);
    browse(write(QStringLiteral("png"), QStringLiteral("first.png"), sample(37, 23)));
    w.optFilt[1]->click(); // sepia
    w.cmdPrev->click();
    ASSERT_TRUE(w.session().PreviewFresh());
    const QImage second = sample(14, 9).mirrored(true, false);
    browse(write(QStringLiteral("png"), QStringLiteral("second.png"), second));
    create(pictures + QStringLiteral("out.bmp"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(counter.renders, 2) << "the first picture's preview was not reused";
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("out.bmp")), referenceOutput(second, 0x0040C0C0));
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(PreviewCreate, CreateReplacesAnExistingFileWhole)
{
    open();
    const QString path = write(QStringLiteral("png"));
    browse(path);
    const QString target = pictures + QStringLiteral("existing.bmp");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    create(target);
    EXPECT_EQ(testsupport::readFile(target), expectedOutput(path, 0x00808080));
    EXPECT_EQ(QDir(pictures).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("existing")), QStringList{"existing.bmp"})
        << "no work file left beside it";
}

TEST_F(PreviewCreate, AFailedCreateKeepsTheOutputForARetryWithoutRendering)
{
    frmMain& w = open();
    RenderCounter counter(w);
    const QString path = write(QStringLiteral("gif"));
    browse(path);
    QDir().mkpath(pictures + QStringLiteral("a-folder.bmp"));

    for (const QString& bad : {pictures + QStringLiteral("missing/out.bmp"), pictures + QStringLiteral("a-folder.bmp")}) {
        SCOPED_TRACE(bad.toStdString());
        messages.clear();
        create(bad);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QStringLiteral("作成できませんでした"))) << messages[0].toStdString();
        EXPECT_TRUE(QFile::exists(w.session().OutputTempPath()));
        EXPECT_TRUE(w.session().PreviewFresh());
        EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    }
    EXPECT_TRUE(QFileInfo(pictures + QStringLiteral("a-folder.bmp")).isDir());
    create(pictures + QStringLiteral("retry.bmp"));
    EXPECT_EQ(counter.renders, 1);
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("retry.bmp")), expectedOutput(path, 0x00808080));
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(PreviewCreate, CancellingTheSaveDialogRendersWritesAndDeletesNothing)
{
    frmMain& w = open();
    RenderCounter counter(w);
    browse(write(QStringLiteral("png")));
    w.cmdPrev->click();
    const QString output = w.session().OutputTempPath();
    dialogs->files.push_back(std::nullopt);
    w.cmdMake->click();
    EXPECT_EQ(counter.renders, 1);
    EXPECT_TRUE(w.session().PreviewFresh());
    EXPECT_EQ(w.session().OutputTempPath(), output);
    EXPECT_TRUE(QFile::exists(output));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PreviewCreate, AFailedRenderIsReportedAndGivesTheCommandsBack)
{
    frmMain& w = open();
    browse(write(QStringLiteral("png")));
    useTempFolder(dir.path() + QStringLiteral("/missing/"));
    w.cmdPrev->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("プレビュー"))) << messages[0].toStdString();
    EXPECT_EQ(w.commandState(), CommandState::SourceLoaded);
    EXPECT_FALSE(w.mxbPrv->isVisible());
    EXPECT_FALSE(w.session().PreviewFresh());
    EXPECT_TRUE(w.views().rendered().isNull());
}

TEST_F(PreviewCreate, ClosingTheWindowDuringAPreviewLeavesNothingBehind)
{
    frmMain& w = open();
    w.show();
    browse(write(QStringLiteral("png"), QStringLiteral("big.png"), sample(300, 200)));
    QTimer::singleShot(0, &w, [&] { w.close(); });
    w.cmdPrev->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(PreviewCreate, ARunOfOpensPreviewsAndCreatesLeavesNothingOfOursAfterQuit)
{
    frmMain& w = open();
    for (const char* kind : {"bmp", "jpg", "gif", "png"}) {
        browse(write(QString::fromLatin1(kind)));
        w.optFilt[1]->click();
        w.cmdPrev->click();
        w.cmdPrev->click();
        create(pictures + QStringLiteral("out-%1.bmp").arg(QLatin1String(kind)));
        w.cmdPrev->click();
        w.optFilt[2]->click();
        w.cmdPrev->click();
    }
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    w.cmdQuit->click();
    EXPECT_TRUE(tempFiles().isEmpty());
}

} // namespace
