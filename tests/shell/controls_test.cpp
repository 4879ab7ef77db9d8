#include "window_fixture.h"

#include "velmor/shell/captions.h"
#include "velmor/shell/controltable.h"
#include "velmor/shell/framestyle.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Disabled until a source is opened; every other control starts enabled.
const QStringList kDisabledAtStart{QStringLiteral("cmdPrev"), QStringLiteral("cmdMake")};

QString captionOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(w))
        return frame->title();
    if (auto* field = qobject_cast<QLineEdit*>(w))
        return field->text();
    return {};
}

using Controls = WindowFixture;

TEST_F(Controls, EveryControlHasItsNameCaptionPlaceAndInitialState)
{
    frmMain& w = open();
    const shell::Twips& tw = w.twips();
    ASSERT_EQ(shell::kDesignedControls.size(), 24u) << "every control of the window";
    for (const shell::DesignedControl& d : shell::kDesignedControls) {
        SCOPED_TRACE(d.name);
        auto* widget = w.findChild<QWidget*>(QString::fromUtf8(d.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(captionOf(widget), QString::fromUtf8(d.caption));
        EXPECT_EQ(widget->isEnabled(), !kDisabledAtStart.contains(QString::fromUtf8(d.name)));
        EXPECT_EQ(widget->x(), tw.toPixels(d.left));
        const QRect designed = tw.toPixels(d.left, d.top, d.width, d.height);
        if (qobject_cast<QLabel*>(widget)) {
            // A label may grow around its designed box to show its whole text in the Japanese font.
            EXPECT_TRUE(widget->geometry().contains(designed));
        } else if (!captionOf(widget).isEmpty()) {
            // A captioned control may grow to the right only.
            EXPECT_EQ(widget->y(), designed.y());
            EXPECT_EQ(widget->height(), designed.height());
            EXPECT_GE(widget->width(), designed.width());
        } else {
            EXPECT_EQ(widget->geometry(), designed);
        }
    }
    EXPECT_EQ(w.size(), QSize(540, 349)); // 8100 x 5235 twips at 15 twips a pixel
    EXPECT_EQ(w.minimumSize(), w.size()) << "the designed size is the smallest";
    EXPECT_GT(w.maximumSize().width(), 10000) << "the user may enlarge it";
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.hasRuleSize());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("べるもあ"));
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.mxbPrv->isHidden());
    EXPECT_TRUE(w.optFilt[0]->isChecked());
    EXPECT_EQ(w.commandState(), CommandState::NoSource);
}

TEST_F(Controls, SwatchesShowTheFilterColoursAndTheViewsAreWhiteAndBorderless)
{
    frmMain& w = open();
    const engine::ColorValue colours[] = {0x00808080, 0x0040C0C0, 0x004040C0, 0x00C04040, 0x0040C040, 0x00000000};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(w.picFilt[i]->backColor(), colours[i]) << i;
    for (views::PictureView* view : {w.picSrc, w.picPrev})
        EXPECT_EQ(view->backColor(), 0x00FFFFFF);
    loadSource(7, 5);
    for (views::PictureView* view : {w.picSrc, w.picPrev})
        EXPECT_EQ(view->size(), QSize(7, 5)) << "a view takes its picture's size, no border added";
}

TEST_F(Controls, TabWalksTheDesignedOrder)
{
    frmMain& w = open();
    const QList<QWidget*> designed{w.txtFile, w.cmdBrws, w.picFilt[0], w.picFilt[1], w.picFilt[2], w.picFilt[3],
        w.picFilt[4], w.optFilt[0], w.optFilt[1], w.optFilt[2], w.optFilt[3], w.optFilt[4], w.cmdPrev, w.cmdMake,
        w.cmdQuit, w.picFilt[5], w.optFilt[5]};
    QList<QWidget*> walked;
    QWidget* at = w.txtFile;
    do {
        if (designed.contains(at))
            walked << at;
        at = at->nextInFocusChain();
    } while (at != w.txtFile && walked.size() < designed.size());
    EXPECT_EQ(walked, designed);
}

TEST_F(Controls, EveryCaptionShowsWholeWithoutRunningIntoItsNeighbour)
{
    frmMain& w = open();
    const QList<QWidget*> captioned{w.Label1, w.cmdBrws, w.Frame1, w.optFilt[0], w.optFilt[1], w.optFilt[2],
        w.optFilt[3], w.optFilt[4], w.optFilt[5], w.cmdPrev, w.cmdMake, w.Label2, w.labPrev, w.cmdQuit};
    for (QWidget* c : captioned) {
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_LE(shell::captionWidth(c), c->width());
        EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry()));
    }
    // "ファイル(&F)：" ends, colon included, before the field begins.
    EXPECT_LT(w.Label1->geometry().right(), w.txtFile->x());
    EXPECT_GE(w.Label1->fontMetrics().horizontalAdvance(QStringLiteral("ファイル(F)：")), 60) << "the text is measured, not empty";
    for (int i = 0; i < 5; ++i)
        EXPECT_LT(w.optFilt[i]->geometry().right(), w.optFilt[i + 1]->x()) << i;
    EXPECT_LT(w.Label2->geometry().right(), w.labPrev->x());
    EXPECT_LT(w.Frame1->geometry().right(), w.cmdPrev->x());
}

TEST_F(Controls, TheSwatchesAndOptionsLieInsideTheFilterFramesBorder)
{
    frmMain& w = open();
    const QRect border = shell::captionBorderRect(w.Frame1);
    ASSERT_FALSE(border.isEmpty());
    EXPECT_GT(border.top(), 0) << "through the caption's middle";
    EXPECT_LT(border.top(), QFontMetrics(w.Frame1->font()).height());
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(border.adjusted(1, 1, -1, -1).contains(w.picFilt[i]->geometry())) << "swatch " << i;
        EXPECT_TRUE(border.adjusted(1, 1, -1, -1).contains(w.optFilt[i]->geometry())) << "option " << i;
    }
}

TEST(Captions, ACaptionWithoutRoomIsDrawnNarrowerAndOneWithRoomGrows)
{
    QWidget parent;
    parent.resize(400, 100);
    auto* tight = new QLabel(QStringLiteral("ファイル(&F)："), &parent);
    tight->setGeometry(10, 10, 40, 12);
    const int wide = shell::captionWidth(tight);
    ASSERT_GT(wide, 60) << "wider than the room the test leaves";
    shell::fitCaption(tight, 70);
    EXPECT_EQ(tight->x(), 10);
    EXPECT_LE(tight->geometry().right(), 69);
    EXPECT_LE(shell::captionWidth(tight), tight->width());
    EXPECT_LT(tight->font().stretch(), 100);
    EXPECT_GE(tight->height(), tight->fontMetrics().height()) << "grown to the text's height";

    // Narrower than three quarters is no longer readable: a caption far too long stops there.
    auto* hopeless = new QLabel(QStringLiteral("ファイル(&F)：ファイル(&F)："), &parent);
    hopeless->setGeometry(10, 70, 40, 12);
    shell::fitCaption(hopeless, 70);
    EXPECT_EQ(hopeless->font().stretch(), 75);

    auto* roomy = new QPushButton(QStringLiteral("プレビュー(&P)の作成"), &parent);
    roomy->setGeometry(10, 40, 30, 26);
    shell::fitCaption(roomy, 400);
    EXPECT_EQ(roomy->geometry().topLeft(), QPoint(10, 40));
    EXPECT_EQ(roomy->width(), shell::captionWidth(roomy));
    EXPECT_EQ(roomy->font().stretch(), QFont().stretch()) << "drawn in the font as it is";

    // The access-key marker takes no room; a doubled one shows as one "&".
    auto* plain = new QLabel(QStringLiteral("AB"), &parent);
    auto* marked = new QLabel(QStringLiteral("A&B"), &parent);
    auto* doubled = new QLabel(QStringLiteral("A&&B"), &parent);
    EXPECT_EQ(shell::captionWidth(marked), shell::captionWidth(plain));
    EXPECT_GT(shell::captionWidth(doubled), shell::captionWidth(plain));
}

} // namespace
