// The two views through the window, with real photos: the live preview is the filter rule over the
// very pixels the source view shows, whatever the filter was chosen with; both views show one region
// at one zoom; 100 % after Preview is the output's exact pixels; the window grows and keeps the
// size the user gave it; the title and the empty window say what is there.

#include "road.h"

#include "platform/nativepath.h"

#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <cstdio>

namespace {

const QString kLandscape = QStringLiteral(VELMOR_SOURCE_DIR "/tests/workflow/fixtures/landscape.jpg");

// The filter rule over displayed pixels, written out from the test's own reference.
QImage ruleOver(const QImage& shown, engine::ColorValue filter)
{
    QImage out(shown.size(), QImage::Format_RGB32);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb c = shown.pixel(x, y);
            out.setPixel(x, y, 0xFF000000u | testsupport::referencePixel(filter, qRed(c) + qGreen(c) + qBlue(c)));
        }
    return out;
}

struct LiveView : RoadFixture {
    LiveView() { screenArea = QRect(0, 0, 1280, 1024); }

    // Both views show the same part of the picture, and the preview is the rule over the source's.
    void expectInStep(frmMain& w, engine::ColorValue filter)
    {
        const views::Displayed source = w.picSrc->displayed();
        const views::Displayed preview = w.picPrev->displayed();
        ASSERT_FALSE(source.pixels.isNull());
        EXPECT_EQ(w.picSrc->size(), w.picPrev->size());
        EXPECT_EQ(preview.at, source.at);
        EXPECT_EQ(preview.pixels, ruleOver(source.pixels, filter));
    }
};

TEST_F(LiveView, EveryFilterShowsAtOnceAsTheRuleOverTheDisplayedSourceHoweverItIsChosen)
{
    frmMain& w = open();
    w.show();
    dialogs->colors.push_back(0x00FF8020);
    w.picFilt_DblClick(5); // a custom colour first, for the sixth filter
    browse(kLandscape);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_LT(w.viewScale(), 1.0) << "1800 x 1200 is shown smaller on this screen";
    const engine::ColorValue colours[] = {0x00808080, 0x0040C0C0, 0x004040C0, 0x00C04040, 0x0040C040, 0x00FF8020};
    enum How { OptionClick, SwatchClick, OptionSpace, SwatchSpace };
    for (int i = 5; i >= 0; --i) {
        for (const How how : {OptionClick, SwatchClick, OptionSpace, SwatchSpace}) {
            SCOPED_TRACE(testing::Message() << "filter " << i << " way " << how);
            if (how == SwatchSpace && i == 5)
                continue; // Space on the custom swatch opens its dialog
            w.optFilt[(i + 1) % 6]->click();
            switch (how) {
            case OptionClick: QTest::mouseClick(w.optFilt[i], Qt::LeftButton); break;
            case SwatchClick: QTest::mouseClick(w.picFilt[i], Qt::LeftButton); break;
            case OptionSpace: w.optFilt[i]->setFocus(); QTest::keyClick(w.optFilt[i], Qt::Key_Space); break;
            case SwatchSpace: w.picFilt[i]->setFocus(); QTest::keyClick(w.picFilt[i], Qt::Key_Space); break;
            }
            ASSERT_TRUE(w.optFilt[i]->isChecked());
            expectInStep(w, colours[i]);
        }
    }
    // What is painted is what the view says it shows.
    const QImage painted = w.picPrev->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const views::Displayed shown = w.picPrev->displayed();
    EXPECT_EQ(painted.copy(QRect(shown.at, shown.pixels.size())), shown.pixels);
    EXPECT_FALSE(w.mxbPrv->isVisible()) << "no progress bar for the live preview";
}

TEST_F(LiveView, ForAPictureShownUnscaledTheLivePreviewIsTheFullRender)
{
    frmMain& w = open();
    const QString path = write(QStringLiteral("png"));
    browse(path);
    ASSERT_EQ(w.viewScale(), 1.0);
    w.optFilt[1]->click();
    const QImage live = w.picPrev->displayed().pixels;
    // The output bitmap the filter rule gives, as the test builds it, rows bottom first.
    const QByteArray bitmap = referenceOutput(sample(), 0x0040C0C0);
    const int stride = (3 * 37 + 3) / 4 * 4;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const char* p = bitmap.constData() + 54 + (22 - y) * stride + 3 * x;
            ASSERT_EQ(live.pixel(x, y), qRgb(uchar(p[2]), uchar(p[1]), uchar(p[0]))) << x << "," << y;
        }
}

TEST_F(LiveView, AConfirmedCustomColourAndAnOpenedPictureUpdateThePreview)
{
    frmMain& w = open();
    browse(write(QStringLiteral("png")));
    w.optFilt[5]->click();
    dialogs->colors.push_back(0x00204080);
    QTest::mouseDClick(w.picFilt[5], Qt::LeftButton);
    expectInStep(w, 0x00204080);

    browse(kLandscape);
    EXPECT_EQ(w.views().source().size(), QSize(1800, 1200));
    expectInStep(w, 0x00204080);
}

TEST_F(LiveView, ZoomAndPanKeepBothViewsInStep)
{
    frmMain& w = open();
    w.show();
    browse(kLandscape);
    w.optFilt[2]->click(); // red
    const double fitted = w.viewScale();

    // Ctrl + wheel over the source view zooms both, about the point under the cursor.
    const QPointF at(w.picSrc->width() / 3.0, w.picSrc->height() / 2.0);
    QWheelEvent wheel(at, w.picSrc->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w.picSrc, &wheel);
    EXPECT_GT(w.viewScale(), fitted);
    expectInStep(w, 0x004040C0);

    // A drag over the preview moves both.
    auto placed = [&w] { return w.views().viewport().place(w.views().source().size(), w.picSrc->size(), 1); };
    const QRect before = placed();
    QTest::mousePress(w.picPrev, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(w.picPrev, QPoint(60, 80));
    QTest::mouseRelease(w.picPrev, Qt::LeftButton, {}, QPoint(60, 80));
    EXPECT_EQ(placed().topLeft(), before.topLeft() + QPoint(-40, -20));
    expectInStep(w, 0x004040C0);

    // The keys: Ctrl+1 is 100 %, Ctrl+- a step down, Ctrl++ (or Ctrl+= without Shift) a step up,
    // Ctrl+0 the whole picture again. None reaches the focused field.
    const struct {
        Qt::Key key;
        double scale;
    } keys[] = {{Qt::Key_1, 1.0}, {Qt::Key_Minus, 2.0 / 3}, {Qt::Key_Plus, 1.0}, {Qt::Key_Equal, 1.5}, {Qt::Key_0, fitted}};
    for (const auto& k : keys) {
        QTest::keyClick(w.txtFile, k.key, Qt::ControlModifier);
        EXPECT_DOUBLE_EQ(w.viewScale(), k.scale) << k.key;
        expectInStep(w, 0x004040C0);
    }
    EXPECT_TRUE(w.views().viewport().isFit());
    EXPECT_EQ(w.txtFile->text(), kLandscape);
}

TEST_F(LiveView, At100PercentAfterPreviewThePreviewShowsTheOutputsExactPixels)
{
    frmMain& w = open();
    w.show();
    browse(kLandscape);
    w.optFilt[1]->click();
    w.cmdPrev->click();
    ASSERT_TRUE(w.session().PreviewFresh());
    QTest::keyClick(w.txtFile, Qt::Key_1, Qt::ControlModifier);
    QTest::mousePress(w.picSrc, Qt::LeftButton, {}, QPoint(200, 150));
    QTest::mouseMove(w.picSrc, QPoint(50, 60));
    QTest::mouseRelease(w.picSrc, Qt::LeftButton, {}, QPoint(50, 60));

    const QRect placed = w.views().viewport().place(w.views().source().size(), w.picPrev->size(), 1);
    ASSERT_EQ(placed.size(), QSize(1800, 1200));
    const views::Displayed shown = w.picPrev->displayed();
    const QImage output = platform::loadPicture(w.session().OutputTempPath()).convertToFormat(QImage::Format_RGB32);
    EXPECT_FALSE(w.views().rendered().isNull()) << "the rendered output, not the live preview";
    EXPECT_EQ(shown.pixels, output.copy(QRect(shown.at - placed.topLeft(), shown.pixels.size())));
    EXPECT_EQ(shown.pixels.size(), w.picPrev->size()) << "the output covers the whole view";
}

TEST_F(LiveView, TheWindowGrowsWithBothViewsAndKeepsTheUsersSizeForTheNextPicture)
{
    frmMain& w = open();
    w.show();
    browse(kLandscape);
    const QSize ruled = w.size();
    const QSize viewBefore = w.picSrc->size();
    const double scaleBefore = w.viewScale();

    w.resize(ruled + QSize(300, 200));
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.hasRuleSize());
    EXPECT_GT(w.picSrc->width(), viewBefore.width());
    EXPECT_GT(w.picSrc->height(), viewBefore.height());
    EXPECT_EQ(w.picPrev->size(), w.picSrc->size());
    EXPECT_GT(w.picPrev->x(), w.picSrc->geometry().right());
    EXPECT_NEAR(w.width() - 1 - w.picPrev->geometry().right(), w.twips().toPixels(165), 1) << "the designed margin";
    EXPECT_EQ(w.labPrev->x(), w.picPrev->x());
    EXPECT_EQ(w.mxbPrv->x(), w.picPrev->x());
    EXPECT_EQ(w.mxbPrv->width(), w.picPrev->width());
    EXPECT_GT(w.viewScale(), scaleBefore) << "the picture shown larger";
    expectInStep(w, 0x00808080);

    const QSize users = w.size();
    browse(write(QStringLiteral("png")));
    EXPECT_EQ(w.size(), users) << "the user's size stays";
    EXPECT_EQ(w.viewScale(), 1.0) << "a small picture at its own size, never enlarged to fit";
    browse(kLandscape);
    EXPECT_EQ(w.size(), users);
}

TEST_F(LiveView, TheTitleNamesThePictureAndAnEmptyWindowSaysWhatToDo)
{
    frmMain& w = open();
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("べるもあ"));
    EXPECT_TRUE(w.picSrc->hint().contains(QStringLiteral("参照(B)..."))) << w.picSrc->hint().toStdString();
    EXPECT_TRUE(w.picSrc->hint().contains(QStringLiteral("ドロップ")));
    auto inked = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(w.picSrc->grab().toImage())) << "the hint is drawn";
    EXPECT_FALSE(inked(w.picPrev->grab().toImage()));

    const QString path = write(QStringLiteral("png"), QStringLiteral("海の写真.png"));
    browse(path);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("海の写真.png (37 × 23) - べるもあ"));
    browse(pictures + QStringLiteral("gone.png"));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("海の写真.png (37 × 23) - べるもあ")) << "a failed open changes nothing";

    // A name that is no UTF-8 shows its odd byte as messages do.
    const QString odd = pictures + platform::fromNativePath(QByteArray("\xff\xe6\xb5\xb7.png"));
    ASSERT_EQ(::rename(platform::toNativePath(path).constData(), platform::toNativePath(odd).constData()), 0);
    browse(odd);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("\\xFF海.png (37 × 23) - べるもあ"));
}

} // namespace
