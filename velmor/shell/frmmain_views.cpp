// The window's two views and its size: the layout rule on every resize of the source view, the
// pictures shown at a scale that keeps the window on its screen, and the window kept on it.

#include "velmor/shell/frmmain.h"

#include "velmor/shell/layout.h"
#include "velmor/shell/viewscale.h"

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
    const QSize designedClient = QSize(twips_.toPixels(BaseFormWidth), twips_.toPixels(BaseFormHeight)) - frameExtra_;
    return {designedClient + frameExtra(), QSize(twips_.toPixels(BaseSourceWidth), twips_.toPixels(BaseSourceHeight))};
}

void frmMain::setSourcePicture(const QImage& picture)
{
    const shell::ScreenFit fit = shell::fitToArea(fitBase(), picture.size(), availableArea().size());
    viewScale_ = fit.factor;
    sourcePictureSize_ = picture.size();
    picSrc->setPicture(fit.fits ? picture : shell::scaledForView(picture, fit.displayed));
    keepOnScreen();
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
    if (Loading || picSrc->picture().isNull() || sourcePictureSize_.isEmpty())
        return;
    const QSize area = availableArea().size();
    const QSize window = shell::ruleWindowSize(fitBase(), picSrc->size());
    if (window.width() <= area.width() && window.height() <= area.height())
        return;
    // Only ever smaller: the views' own copies are reduced further, which costs no quality that
    // matters, while a larger view would need the picture again.
    const shell::ScreenFit fit = shell::fitToArea(fitBase(), sourcePictureSize_, area);
    if (fit.displayed.width() >= picSrc->width() && fit.displayed.height() >= picSrc->height())
        return;
    viewScale_ = fit.factor;
    picSrc->setPicture(shell::scaledForView(picSrc->picture(), fit.displayed));
    if (!picPrev->picture().isNull())
        picPrev->setPicture(shell::scaledForView(picPrev->picture(), fit.displayed));
    keepOnScreen();
}

void frmMain::setPreviewPicture(const QImage& picture)
{
    // The preview stands beside the source at the same scale.
    picPrev->setPicture(viewScale_ < 1 ? shell::scaledForView(picture, picSrc->size()) : picture);
}

void frmMain::picSrc_Resize()
{
    if (Loading)
        return;
    const shell::LayoutTargets t = shell::layoutFor(*this, twips_.width(picSrc), twips_.height(picSrc));
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
