// Every control has a Japanese name a screen reader reads through Qt's accessibility interface: a
// swatch its filter and colour, the views the picture they show. The focused swatch shows a frame.

#include "window_fixture.h"

#include "velmor/shell/controltable.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

namespace {

using Accessibility = WindowFixture;

QString accessibleName(QWidget* w)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

bool isJapanese(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x3000)
            return true;
    return false;
}

TEST_F(Accessibility, EveryControlHasAJapaneseName)
{
    frmMain& w = open();
    QList<QWidget*> controls;
    for (const shell::DesignedControl& d : shell::kDesignedControls)
        controls << w.findChild<QWidget*>(QString::fromUtf8(d.name));
    controls << w.mxbSrc;
    for (QWidget* c : controls) {
        ASSERT_NE(c, nullptr);
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_TRUE(isJapanese(accessibleName(c))) << accessibleName(c).toStdString();
    }
    // A swatch names its filter and its colour.
    EXPECT_EQ(accessibleName(w.picFilt[1]), QStringLiteral("フィルタ「ｾﾋﾟｱ」の色見本: 黄色 (#C0C040)"));
    EXPECT_EQ(accessibleName(w.picFilt[5]), QStringLiteral("フィルタ「ｶｽﾀﾑ」の色見本: #000000"));
    dialogs->colors.push_back(0x00204080);
    w.picFilt_DblClick(5);
    EXPECT_EQ(accessibleName(w.picFilt[5]), QStringLiteral("フィルタ「ｶｽﾀﾑ」の色見本: #804020"));
}

TEST_F(Accessibility, TheViewsSayWhichPictureTheyShow)
{
    frmMain& w = open();
    EXPECT_EQ(accessibleName(w.picSrc), QStringLiteral("元画像: まだ開かれていません"));
    loadSource(6, 4);
    EXPECT_EQ(accessibleName(w.picSrc), QStringLiteral("元画像: source-6x4.bmp (6 × 4)"));
    w.optFilt[2]->click();
    EXPECT_EQ(accessibleName(w.picPrev), QStringLiteral("プレビュー画像: 赤 (表示中の元画像から)"));
    w.cmdPrev->click();
    EXPECT_EQ(accessibleName(w.picPrev), QStringLiteral("プレビュー画像: 赤 (プレビューで作成した画像)"));
}

TEST_F(Accessibility, TheFocusedSwatchShowsAFrameOnAnyColour)
{
    frmMain& w = open();
    w.show();
    QApplication::setActiveWindow(&w); // focus shows only in the active window
    for (int i : {0, 5}) { // grey, and black
        SCOPED_TRACE(i);
        w.txtFile->setFocus();
        const QImage plain = w.picFilt[i]->grab().toImage();
        w.picFilt[i]->setFocus();
        ASSERT_TRUE(w.picFilt[i]->hasFocus());
        const QImage framed = w.picFilt[i]->grab().toImage();
        const QColor highlight = w.picFilt[i]->palette().color(QPalette::Highlight);
        int framePixels = 0;
        for (int y = 0; y < framed.height(); ++y)
            for (int x = 0; x < framed.width(); ++x)
                framePixels += framed.pixelColor(x, y) == highlight && plain.pixelColor(x, y) != highlight;
        EXPECT_GT(framePixels, 2 * (framed.width() + framed.height())) << "a ring in the highlight colour";
    }
}

} // namespace
