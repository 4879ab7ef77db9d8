// Pictures larger than the screen: the window stays on a 1280 x 1024 screen with both views in
// sight, while the grid, the render and the created file keep the picture's own size.

#include "road.h"

#include <QLabel>

namespace {

struct LargePicture : RoadFixture {
    LargePicture() { screenArea = QRect(0, 0, 1280, 1024); }

    // The window lies wholly on the screen, the preview beside the source and the progress bar
    // over the preview, all inside the window.
    void expectAllInSight(const frmMain& w, QSize displayed)
    {
        EXPECT_TRUE(screenArea.contains(w.frameGeometry())) << "window at " << w.frameGeometry().x() << ","
                                                            << w.frameGeometry().y() << " size "
                                                            << w.frameGeometry().width() << " x "
                                                            << w.frameGeometry().height();
        EXPECT_EQ(w.picSrc->size(), displayed);
        EXPECT_EQ(w.picPrev->size(), displayed);
        EXPECT_GT(w.picPrev->x(), w.picSrc->geometry().right());
        EXPECT_EQ(w.labPrev->x(), w.picPrev->x());
        EXPECT_EQ(w.mxbPrv->x(), w.picPrev->x());
        EXPECT_EQ(w.mxbPrv->width(), w.picPrev->width());
        for (const QWidget* part : {static_cast<const QWidget*>(w.picSrc), static_cast<const QWidget*>(w.picPrev),
                 static_cast<const QWidget*>(w.mxbPrv)})
            EXPECT_TRUE(w.rect().contains(part->geometry())) << part->objectName().toStdString();
    }
};

TEST_F(LargePicture, OpensPreviewsAndCreatesAtFullSizeWithTheWindowOnTheScreen)
{
    frmMain& w = open();
    w.move(900, 800); // wherever it stood, the grown window comes back onto the screen
    struct Shape {
        QSize picture, displayed;
    };
    // A wide photo (the rule alone would ask for a 4044 x 761 window) and a long strip.
    for (const Shape& s : {Shape{{2000, 600}, {618, 185}}, Shape{{17000, 40}, {618, 1}}, Shape{{30, 2500}, {10, 863}}}) {
        SCOPED_TRACE(testing::Message() << s.picture.width() << " x " << s.picture.height());
        const QString path = write(QStringLiteral("png"), QStringLiteral("large.png"), sample(s.picture.width(), s.picture.height()));
        browse(path);
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(w.session().SourcePixels().width, s.picture.width());
        EXPECT_EQ(w.session().SourcePixels().height, s.picture.height());
        EXPECT_LT(w.viewScale(), 1.0);
        expectAllInSight(w, s.displayed);

        w.optFilt[1]->click();
        w.cmdPrev->click();
        ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(w.mxbPrv->Max(), s.picture.height()) << "the bar counts the picture's own rows";
        const QByteArray expected = expectedOutput(path, 0x0040C0C0); // sepia
        EXPECT_EQ(testsupport::readFile(w.session().OutputTempPath()), expected);
        EXPECT_EQ(w.picPrev->displayed().pixels.size(), s.displayed) << "the preview at the source's scale";
        expectAllInSight(w, s.displayed);

        create(pictures + QStringLiteral("out.bmp"));
        EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("out.bmp")), expected);
    }

    // A small picture afterwards: the designed layout, unscaled.
    browse(write(QStringLiteral("bmp"), QStringLiteral("small.bmp"), sample(100, 300)));
    EXPECT_EQ(w.viewScale(), 1.0);
    EXPECT_EQ(w.picSrc->size(), QSize(100, 300));
    EXPECT_EQ(w.twips().left(w.picPrev), 4215.0f);
    EXPECT_EQ(w.twips().toTwips(w.frameGeometry().width()), w.layoutBase().BaseFormWidth);
    EXPECT_EQ(w.twips().toTwips(w.frameGeometry().height()), w.layoutBase().BaseFormHeight + 1680);
    EXPECT_EQ(w.picSrc->displayed().pixels.size(), QSize(100, 300));
}

TEST_F(LargePicture, APictureThatFitsExactlyIsShownAtItsOwnSize)
{
    frmMain& w = open();
    w.move(0, 0);
    // 618 x 863 gives a window of exactly 1280 x 1024 on a platform that draws no frame.
    browse(write(QStringLiteral("bmp"), QStringLiteral("exact.bmp"), sample(618, 863)));
    EXPECT_EQ(w.viewScale(), 1.0);
    EXPECT_EQ(w.frameGeometry(), screenArea);
    expectAllInSight(w, QSize(618, 863));
}

TEST_F(LargePicture, OnASmallerScreenTheViewsShrinkAndTheFilesStayFullSize)
{
    frmMain& w = open();
    w.show();
    const QString path = write(QStringLiteral("png"), QStringLiteral("large.png"), sample(2000, 600));
    browse(path);
    w.cmdPrev->click();
    const QSize first = w.picSrc->size();
    expectAllInSight(w, first);

    // The window goes to a 1024 x 768 screen (or the window manager's frame appears): the views
    // shrink to what lets the window fit there.
    screenArea = QRect(0, 0, 1024, 768);
    w.move(30, 30);
    QCoreApplication::processEvents();
    const QSize smaller = w.picSrc->size();
    EXPECT_LT(smaller.width(), first.width());
    EXPECT_LE(w.frameGeometry().width(), 1024);
    EXPECT_GE(w.frameGeometry().width(), 1020) << "as large as the screen allows";
    expectAllInSight(w, smaller);
    EXPECT_EQ(w.picPrev->displayed().pixels.size(), smaller);

    // A larger screen again leaves the views as they are; the next picture opened uses it.
    screenArea = QRect(0, 0, 1280, 1024);
    w.move(40, 40);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.picSrc->size(), smaller);

    create(pictures + QStringLiteral("out.bmp"));
    EXPECT_EQ(testsupport::readFile(pictures + QStringLiteral("out.bmp")), expectedOutput(path, 0x00808080));
    browse(path);
    EXPECT_EQ(w.picSrc->size(), first);
}

} // namespace
