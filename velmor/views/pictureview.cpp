#include "velmor/views/pictureview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace views {

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::setSource(Source source)
{
    source_ = std::move(source);
    invalidate();
}

void PictureView::invalidate()
{
    stale_ = true;
    update();
}

double PictureView::deviceRatio() const
{
    return devicePixelRatioF();
}

const Displayed& PictureView::displayed()
{
    const double ratio = deviceRatio();
    if (stale_ || displayedSize_ != size() || displayedRatio_ != ratio) {
        displayed_ = source_ ? source_(size(), ratio) : Displayed{};
        displayed_.pixels.setDevicePixelRatio(ratio);
        displayedSize_ = size();
        displayedRatio_ = ratio;
        stale_ = false;
    }
    return displayed_;
}

void PictureView::setHint(const QString& text)
{
    hint_ = text;
    update();
}

void PictureView::setPannable(bool on)
{
    pannable_ = on;
    if (!dragging_)
        setCursor(on ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void PictureView::setSizePixels(const QSize& size)
{
    if (size == this->size())
        return;
    resize(size);
    // Announced here rather than from resizeEvent, which Qt holds back while a window is hidden.
    emit resized();
}

void PictureView::paintEvent(QPaintEvent*)
{
    const Displayed& shown = displayed();
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!shown.pixels.isNull()) {
        // At a device position given in logical units: at/dpr lands on the very device pixel.
        p.drawImage(QPointF(shown.at) / displayedRatio_, shown.pixels);
    } else if (!hint_.isEmpty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, hint_);
    }
    ++paints_;
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pannable_) {
        dragging_ = true;
        dragFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    QWidget::mousePressEvent(event);
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return QWidget::mouseMoveEvent(event);
    const QPointF delta = event->position() - dragFrom_;
    dragFrom_ = event->position();
    emit panRequested(delta);
}

void PictureView::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        setCursor(pannable_ ? Qt::OpenHandCursor : Qt::ArrowCursor);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void PictureView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    // 120 eighths of a degree a notch; a fine-grained wheel adds up to whole notches.
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0)
        emit zoomRequested(steps, event->position());
    event->accept();
}

} // namespace views
