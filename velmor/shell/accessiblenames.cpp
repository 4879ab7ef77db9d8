#include "velmor/shell/accessiblenames.h"

#include "velmor/engine/filters.h"
#include "velmor/shell/frmmain.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

namespace shell {
namespace {

// The colours of the five fixed swatches, as the user sees them.
constexpr std::array<const char*, engine::kFilterCount - 1> kColourNames{"灰色", "黄色", "赤", "青", "緑"};

// #RRGGBB, the form colour pickers show.
QString rgbText(engine::ColorValue colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

QString swatchAccessibleName(int index, engine::ColorValue colour)
{
    static const std::array<QString, engine::kFilterCount> captions{QStringLiteral("ﾓﾉｸﾛ"), QStringLiteral("ｾﾋﾟｱ"),
        QStringLiteral("赤"), QStringLiteral("青"), QStringLiteral("緑"), QStringLiteral("ｶｽﾀﾑ")};
    const QString colourName = index == engine::kCustomFilter
        ? rgbText(colour)
        : QStringLiteral("%1 (%2)").arg(QString::fromUtf8(kColourNames[std::size_t(index)]), rgbText(colour));
    return QStringLiteral("フィルタ「%1」の色見本: %2").arg(captions[std::size_t(index)], colourName);
}

QString sourceViewName(const QString& fileName, QSize size)
{
    if (fileName.isEmpty())
        return QStringLiteral("元画像: まだ開かれていません");
    return QStringLiteral("元画像: %1 (%2 × %3)").arg(fileName).arg(size.width()).arg(size.height());
}

QString previewViewName(const QString& filterCaption, bool rendered)
{
    return QStringLiteral("プレビュー画像: %1 (%2)")
        .arg(filterCaption, rendered ? QStringLiteral("プレビューで作成した画像") : QStringLiteral("表示中の元画像から"));
}

void nameControls(frmMain& w)
{
    w.Label1->setAccessibleName(QStringLiteral("ファイル"));
    w.txtFile->setAccessibleName(QStringLiteral("開いている元画像のファイル"));
    w.cmdBrws->setAccessibleName(QStringLiteral("参照"));
    w.cmdBrws->setAccessibleDescription(QStringLiteral("元画像を開きます"));
    w.Frame1->setAccessibleName(QStringLiteral("フィルタの選択"));
    for (int i = 0; i < engine::kFilterCount; ++i) {
        w.picFilt[std::size_t(i)]->setAccessibleName(swatchAccessibleName(i, w.picFilt[std::size_t(i)]->backColor()));
        w.picFilt[std::size_t(i)]->setAccessibleDescription(i == engine::kCustomFilter
                ? QStringLiteral("クリックでこのフィルタを選びます。ダブルクリック、Enter または Space で色を選びます")
                : QStringLiteral("クリックまたは Space でこのフィルタを選びます"));
        w.optFilt[std::size_t(i)]->setAccessibleName(w.optFilt[std::size_t(i)]->text());
    }
    w.cmdPrev->setAccessibleName(QStringLiteral("プレビュー"));
    w.cmdMake->setAccessibleName(QStringLiteral("作成"));
    w.Label2->setAccessibleName(QStringLiteral("元画像"));
    w.labPrev->setAccessibleName(QStringLiteral("プレビュー画像"));
    w.picSrc->setAccessibleName(sourceViewName({}, {}));
    w.picPrev->setAccessibleName(previewViewName(w.optFilt[0]->text(), false));
    for (QWidget* view : {static_cast<QWidget*>(w.picSrc), static_cast<QWidget*>(w.picPrev)})
        view->setAccessibleDescription(QStringLiteral("Ctrl+ホイールまたは Ctrl++ / Ctrl+- で拡大縮小、Ctrl+0 で全体、Ctrl+1 で 100%、ドラッグで移動"));
    w.cmdQuit->setAccessibleName(QStringLiteral("終了"));
    w.mxbPrv->setAccessibleName(QStringLiteral("処理の進み具合"));
    w.mxbSrc->setAccessibleName(QStringLiteral("画像を開く処理の進み具合"));
}

} // namespace shell
