#include "velmor/shell/moxelbar.h"

#include "velmor/dialogs/colors.h"
#include "velmor/dialogs/japanese.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace shell {

MoxelBar::MoxelBar(QWidget* parent) : QWidget(parent), text_(QStringLiteral("処理中..."))
{
    // The stored font is ＭＳ Ｐゴシック 11.25 pt; where it is missing, the Japanese UI font.
    QFont font = dialogs::japaneseUiFont();
    font.setFamilies(QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")} + font.families());
    font.setPointSizeF(11.25);
    font.setWeight(QFont::Normal);
    setFont(font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MoxelBar::setMax(int v) { max_ = v; update(); }
void MoxelBar::setMin(int v) { min_ = v; update(); }
void MoxelBar::setValue(int v) { value_ = v; update(); }
void MoxelBar::setBarColor(engine::ColorValue color) { barColor_ = color; update(); }

void MoxelBar::StepIt()
{
    value_ = std::min(value_ + 1, std::max(max_, min_));
    update();
}

void MoxelBar::setLeftTwips(float left, float twipsPerPixel)
{
    move(static_cast<int>(std::nearbyint(double(left) / twipsPerPixel)), y());
}

void MoxelBar::setWidthTwips(float width, float twipsPerPixel)
{
    resize(static_cast<int>(std::nearbyint(double(width) / twipsPerPixel)), height());
}

void MoxelBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), palette().color(QPalette::Base));
    const double span = double(max_) - double(min_);
    const double share = span > 0 ? std::clamp((double(value_) - min_) / span, 0.0, 1.0) : 0.0;
    const QRect filled(1, 1, static_cast<int>(std::lround((width() - 2) * share)), height() - 2);
    p.fillRect(filled, dialogs::toQColor(barColor_));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(frame);
    // The text stays readable over any bar colour: light over a dark fill, dark elsewhere.
    const QColor bar = dialogs::toQColor(barColor_);
    p.setClipRect(filled);
    p.setPen(qGray(bar.rgb()) < 128 ? Qt::white : Qt::black);
    p.drawText(rect(), Qt::AlignCenter, text_);
    p.setClipRegion(QRegion(rect()).subtracted(filled));
    p.setPen(palette().color(QPalette::Text));
    p.drawText(rect(), Qt::AlignCenter, text_);
}

} // namespace shell
