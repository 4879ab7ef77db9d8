#include "velmor/shell/picturebox.h"

#include "velmor/dialogs/colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace shell {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage& picture)
{
    // Held in the format the painter draws fastest, so repaints during a render stay cheap.
    const bool fast = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32_Premultiplied;
    picture_ = fast || picture.isNull()
        ? picture
        : picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (autoSize_ && !picture_.isNull())
        setSizePixels(picture_.size());
    update();
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

void PictureBox::setSizePixels(const QSize& size)
{
    if (size == this->size())
        return;
    resize(size);
    // Announced here rather than from resizeEvent, which Qt holds back while a window is hidden.
    emit resized();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), dialogs::toQColor(backColor_));
    if (!picture_.isNull())
        p.drawImage(0, 0, picture_);
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
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
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
