// The window's own size and place: the layout rule on every resize of the source view while the
// window has the rule's size, the views filling a window the user has resized or maximised, and
// the window kept on its screen, its views shrunk when the screen it is on is too small for them.

#include "velmor/shell/frmmain.h"

#include "velmor/shell/controltable.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>

namespace {

const shell::DesignedControl& designed(const char* name)
{
    return *std::find_if(shell::kDesignedControls.begin(), shell::kDesignedControls.end(),
        [name](const shell::DesignedControl& d) { return std::string_view(d.name) == name; });
}

} // namespace

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

bool frmMain::hasRuleSize() const
{
    return !isMaximized() && !isFullScreen() && size() == ruleSize_;
}

void frmMain::showPicture(const views::PicturePixels& pixels, bool samePicture)
{
    views_->showSource(pixels, samePicture);
    if (!samePicture) {
        // The size the rule gives the views: the picture's, or smaller so that the window fits.
        const shell::ScreenFit fit = shell::fitToArea(fitBase(), pixels.size(), availableArea().size());
        ruleViewSize_ = fit.displayed;
    }
    if (hasRuleSize()) {
        picSrc->setSizePixels(ruleViewSize_); // the rule lays the window out
        keepOnScreen();
    }
}

void frmMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    refitToScreen();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (layoutBase_.Loading)
        return;
    if (!hasRuleSize()) {
        fillWithViews();
    } else if (filled_) {
        // Back to the rule's size (a maximised window restored): the rule's layout again.
        filled_ = false;
        picSrc->resize(ruleViewSize_);
        picSrc_Resize();
    }
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
    if (layoutBase_.Loading || !hasRuleSize() || views_->source().isNull())
        return;
    const QSize window = shell::ruleWindowSize(fitBase(), picSrc->size());
    const QSize available = availableArea().size();
    if (window.width() <= available.width() && window.height() <= available.height())
        return;
    // Only ever smaller: a larger screen is used by the next picture opened.
    const shell::ScreenFit fit = shell::fitToArea(fitBase(), views_->source().size(), available);
    if (fit.displayed.width() >= picSrc->width() && fit.displayed.height() >= picSrc->height())
        return;
    ruleViewSize_ = fit.displayed;
    picSrc->setSizePixels(ruleViewSize_);
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
    picPrev->resize(picSrc->size());
    mxbPrv->setLeftTwips(twips_.left(picPrev), twips_.perPixel());
    mxbPrv->setWidthTwips(twips_.width(picPrev), twips_.perPixel());
    mxbSrc->setGeometry(picSrc->x(), mxbSrc->y(), picSrc->width(), mxbSrc->height());
}

void frmMain::fillWithViews()
{
    // The designed margins: the gap between the views, and the room right of and below them.
    const shell::DesignedControl& src = designed("picSrc");
    const shell::DesignedControl& prev = designed("picPrev");
    const int gap = twips_.toPixels(prev.left) - twips_.toPixels(src.left + src.width);
    const int right = twips_.toPixels(shell::kDesignedClientWidth) - twips_.toPixels(prev.left + prev.width);
    const int bottom = twips_.toPixels(shell::kDesignedClientHeight) - twips_.toPixels(src.top + src.height);
    const QSize view(std::max(1, (width() - picSrc->x() - gap - right) / 2), std::max(1, height() - picSrc->y() - bottom));
    picSrc->resize(view);
    picPrev->setGeometry(picSrc->x() + view.width() + gap, picSrc->y(), view.width(), view.height());
    labPrev->move(picPrev->x(), labPrev->y());
    placeBars();
    filled_ = true;
}

void frmMain::placeBars()
{
    mxbPrv->setGeometry(picPrev->x(), mxbPrv->y(), picPrev->width(), mxbPrv->height());
    mxbSrc->setGeometry(picSrc->x(), mxbSrc->y(), picSrc->width(), mxbSrc->height());
}

void frmMain::setOuterSize(float widthTwips, float heightTwips)
{
    ruleSize_ = QSize(twips_.toPixels(widthTwips) - frameExtra_.width(), twips_.toPixels(heightTwips) - frameExtra_.height());
    resize(ruleSize_);
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
