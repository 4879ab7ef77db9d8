#include "velmor/shell/captions.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace shell {
namespace {

// The caption as drawn: "&" marks the access key and is not shown, "&&" shows one "&".
QString shownText(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == QLatin1Char('&'))
            text.remove(i, 1);
    return text;
}

int textWidth(const QWidget* control, const QString& caption)
{
    return control->fontMetrics().horizontalAdvance(shownText(caption));
}

// The narrowest stretch a caption is drawn with; narrower Japanese text gets hard to read.
constexpr int kNarrowestStretch = 75;

} // namespace

int captionWidth(const QWidget* control)
{
    const QStyle* style = control->style();
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        const QMargins m = label->contentsMargins();
        return textWidth(label, label->text()) + m.left() + m.right() + 2 * label->margin();
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        // The indicator, the gap after it, the text, and the focus frame drawn around the text.
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, radio)
            + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, radio) + textWidth(radio, radio->text()) + 2;
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return textWidth(button, button->text()) + 2 * style->pixelMetric(QStyle::PM_ButtonMargin, &option, button)
            + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control))
        return textWidth(frame, frame->title()) + 2 * control->fontMetrics().averageCharWidth() + 8;
    return 0;
}

void fitCaption(QWidget* control, int rightLimit)
{
    QRect r = control->geometry();
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const int need = label->fontMetrics().height();
        if (need > r.height()) {
            const int extra = need - r.height();
            r.adjust(0, -extra / 2, 0, extra - extra / 2);
        }
    }
    const int room = std::max(r.width(), rightLimit - r.left());
    r.setWidth(std::clamp(captionWidth(control), r.width(), room));
    control->setGeometry(r);
    QFont font = control->font();
    for (int stretch = 99; captionWidth(control) > r.width() && stretch >= kNarrowestStretch; --stretch) {
        font.setStretch(stretch);
        control->setFont(font);
    }
}

} // namespace shell
