#include "velmor/shell/framestyle.h"

#include <QGroupBox>
#include <QPainter>
#include <qdrawutil.h>
#include <QProxyStyle>
#include <QStyleOptionGroupBox>

namespace shell {
namespace {

QRect borderRect(const QStyle* style, const QStyleOptionGroupBox* box, const QWidget* widget)
{
    const QRect caption = style->subControlRect(QStyle::CC_GroupBox, box, QStyle::SC_GroupBoxLabel, widget);
    QRect r = box->rect;
    if (!box->text.isEmpty())
        r.setTop(caption.center().y());
    return r;
}

class CaptionBorderStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
        const QWidget* widget) const override
    {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box || !(box->subControls & SC_GroupBoxFrame)) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        painter->save();
        if (!box->text.isEmpty()) {
            // The border leaves a gap for the caption.
            const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
            painter->setClipRegion(QRegion(box->rect).subtracted(caption.adjusted(-2, 0, 2, 0)));
        }
        // An etched line, drawn here: some styles place their own frame below the caption
        // whatever rectangle they are given.
        qDrawShadeRect(painter, borderRect(this, box, widget), box->palette, true, 1, 0);
        painter->restore();

        QStyleOptionGroupBox rest(*box);
        rest.subControls &= ~SC_GroupBoxFrame;
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);
    }
};

QStyleOptionGroupBox optionOf(const QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | (box->title().isEmpty() ? QStyle::SC_None : QStyle::SC_GroupBoxLabel);
    return option;
}

} // namespace

void drawBorderThroughCaption(QGroupBox* box)
{
    // The style follows the application's; the box owns it. Child widgets keep their own style.
    auto* style = new CaptionBorderStyle;
    style->setParent(box);
    box->setStyle(style);
}

QRect captionBorderRect(const QGroupBox* box)
{
    const QStyleOptionGroupBox option = optionOf(box);
    return borderRect(box->style(), &option, box);
}

} // namespace shell
