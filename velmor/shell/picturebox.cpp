#include "velmor/shell/picturebox.h"

#include "velmor/dialogs/colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace shell {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(engine::ColorValue color)
{
    backColor_ = color;
    update();
}

void PictureBox::setBorder(bool on)
{
    border_ = on;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QColor colour = dialogs::toQColor(backColor_);
    p.fillRect(event->rect(), colour);
    if (border_) {
        // A sunken edge, as the design's bordered picture boxes have.
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(1, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, 1, width() - 1, height() - 1);
    }
    if (hasFocus()) {
        // Two rings inside the edge: the highlight colour, then black or white, whichever stands
        // out on the swatch's colour, so the frame shows on every swatch.
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
        p.setPen(QPen(qGray(colour.rgb()) < 128 ? Qt::white : Qt::black, 1, Qt::DashLine));
        p.drawRect(QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5));
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && !event->isAutoRepeat()) {
        emit activated();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace shell
