#include "window_fixture.h"

#include "velmor/shell/captions.h"
#include "velmor/shell/framestyle.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct Designed {
    const char* name;
    const char* caption;
    float left, top, width, height;
    bool enabled;
};

// The designed controls, in tab order; places in twips.
const Designed kControls[] = {
    {"Label1", "ファイル(&F)：", 120, 135, 930, 180, true},
    {"txtFile", "", 1155, 90, 5715, 285, true},
    {"cmdBrws", "参照(&B)...", 7005, 45, 1035, 360, true},
    {"Frame1", "フィルタの選択(&L)", 150, 600, 6195, 1275, true},
    {"picFilt(0)", "", 285, 270, 660, 525, true},
    {"picFilt(1)", "", 1245, 270, 660, 525, true},
    {"picFilt(2)", "", 2220, 270, 660, 525, true},
    {"picFilt(3)", "", 3180, 270, 660, 525, true},
    {"picFilt(4)", "", 4155, 270, 660, 525, true},
    {"optFilt(0)", "ﾓﾉｸﾛ", 240, 870, 735, 285, true},
    {"optFilt(1)", "ｾﾋﾟｱ", 1211, 870, 735, 285, true},
    {"optFilt(2)", "赤", 2182, 870, 735, 285, true},
    {"optFilt(3)", "青", 3153, 870, 735, 285, true},
    {"optFilt(4)", "緑", 4125, 855, 735, 285, true},
    {"cmdPrev", "プレビュー(&P)", 6645, 675, 1365, 390, false},
    {"cmdMake", "作成(&M)...", 6645, 1095, 1365, 390, false},
    {"Label2", "元画像", 150, 2025, 540, 180, true},
    {"labPrev", "プレビュー画像", 4215, 2025, 1155, 180, true},
    {"picSrc", "", 150, 2280, 3720, 2820, true},
    {"picPrev", "", 4215, 2280, 3720, 2820, true},
    {"cmdQuit", "終了(&Q)", 6645, 1515, 1365, 390, true},
    {"picFilt(5)", "", 5115, 270, 660, 525, true},
    {"optFilt(5)", "ｶｽﾀﾑ", 5085, 855, 735, 285, true},
    {"mxbPrv", "", 4185, 2550, 3750, 450, true},
};

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
    for (const Designed& d : kControls) {
        SCOPED_TRACE(d.name);
        auto* widget = w.findChild<QWidget*>(QString::fromUtf8(d.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(captionOf(widget), QString::fromUtf8(d.caption));
        EXPECT_EQ(widget->isEnabled(), d.enabled);
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
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "the frame is fixed";
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
    for (shell::PictureBox* view : {w.picSrc, w.picPrev}) {
        EXPECT_EQ(view->backColor(), 0x00FFFFFF);
        view->setPicture(QImage(7, 5, QImage::Format_RGB32));
        EXPECT_EQ(view->size(), QSize(7, 5)) << "a view takes its picture's size, no border added";
    }
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
