// The window's own size and place: the layout rule on every resize of the source view, and the
// window kept on its screen, its views shrunk when the screen it is on is too small for them.

#include "velmor/shell/frmmain.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

QRect frmMain::availableArea() const
{
    if (services_.availableArea)
        return services_.availableArea(this);
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QSize frmMain::frameExtra() const
{
    // The window manager frames the window only once it is shown; take what it draws now.
    return frameExtra_.expandedTo(frameGeometry().size() - size());
}

shell::FitBase frmMain::fitBase() const
{
    const QSize designedClient
        = QSize(twips_.toPixels(layoutBase_.BaseFormWidth), twips_.toPixels(layoutBase_.BaseFormHeight)) - frameExtra_;
    return {designedClient + frameExtra(),
        QSize(twips_.toPixels(layoutBase_.BaseSourceWidth), twips_.toPixels(layoutBase_.BaseSourceHeight))};
}

void frmMain::setSourcePicture(const QImage& picture)
{
    views_->showSource(picture, fitBase(), availableArea().size());
    keepOnScreen();
}

void frmMain::setPreviewPicture(const QImage& picture)
{
    views_->showPreview(picture);
}

void frmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    refitToScreen();
}

void frmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The window manager tells its frame's size late, often only by the time it activates the
    // window it has just framed.
    if (event->type() == QEvent::ActivationChange)
        refitToScreen();
}

void frmMain::refitToScreen()
{
    if (!layoutBase_.Loading && views_->shrinkToFit(fitBase(), availableArea().size()))
        keepOnScreen();
}

void frmMain::picSrc_Resize()
{
    if (layoutBase_.Loading)
        return;
    const shell::LayoutTargets t = shell::layoutFor(layoutBase_, twips_.width(picSrc), twips_.height(picSrc));
    setOuterSize(t.formWidth, t.formHeight);
    picPrev->move(twips_.toPixels(t.previewLeft), picPrev->y());
    labPrev->move(picPrev->x(), labPrev->y());
    picPrev->setSizePixels(picSrc->size());
    mxbPrv->setLeftTwips(twips_.left(picPrev), twips_.perPixel());
    mxbPrv->setWidthTwips(twips_.width(picPrev), twips_.perPixel());
}

void frmMain::setOuterSize(float widthTwips, float heightTwips)
{
    setFixedSize(twips_.toPixels(widthTwips) - frameExtra_.width(), twips_.toPixels(heightTwips) - frameExtra_.height());
}

void frmMain::keepOnScreen()
{
    const QRect area = availableArea();
    const QRect frame = frameGeometry();
    const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft())
        move(x, y);
}
