#include "velmor/views/pictureviews.h"

#include "velmor/views/pictureview.h"

namespace views {

PictureViews::PictureViews(PictureView& source, PictureView& preview) : sourceView_(source), previewView_(preview)
{
    sourceView_.setSource([this](QSize size, double dpr) { return sourceDisplayed(size, dpr); });
    previewView_.setSource([this](QSize size, double dpr) { return previewDisplayed(size, dpr); });
    for (PictureView* view : {&sourceView_, &previewView_}) {
        connect(view, &PictureView::zoomRequested, this, &PictureViews::zoomBy);
        connect(view, &PictureView::panRequested, this, &PictureViews::panBy);
    }
}

void PictureViews::showSource(PicturePixels pixels, bool samePicture)
{
    if (!samePicture)
        viewport_.fit();
    source_ = std::move(pixels);
    changed();
}

void PictureViews::setFilter(engine::ColorValue colour)
{
    if (colour == filter_)
        return;
    filter_ = colour;
    table_ = engine::RenderTable(colour);
    if (rendered_.isNull())
        previewView_.invalidate(); // the source view's pixels stay as they are
}

void PictureViews::showRendered(const QImage& output)
{
    rendered_ = output;
    renderedPixels_ = output.isNull() ? PicturePixels() : PicturePixels::ofPicture(output);
    previewView_.invalidate();
}

void PictureViews::restore(const State& state)
{
    source_ = state.source;
    viewport_ = state.viewport;
    showRendered(state.rendered);
    changed();
}

double PictureViews::scale() const
{
    return viewport_.scale(source_.size(), sourceView_.size());
}

void PictureViews::fit()
{
    viewport_.fit();
    changed();
}

void PictureViews::actualSize()
{
    const QSize view = sourceView_.size();
    viewport_.zoomTo(1, source_.size(), view, QPointF(view.width() / 2.0, view.height() / 2.0));
    changed();
}

void PictureViews::zoomIn()
{
    zoomBy(1, QPointF(sourceView_.width() / 2.0, sourceView_.height() / 2.0));
}

void PictureViews::zoomOut()
{
    zoomBy(-1, QPointF(sourceView_.width() / 2.0, sourceView_.height() / 2.0));
}

void PictureViews::zoomBy(int steps, QPointF anchor)
{
    for (int i = 0; i < steps; ++i)
        viewport_.zoomIn(source_.size(), sourceView_.size(), anchor);
    for (int i = 0; i > steps; --i)
        viewport_.zoomOut(source_.size(), sourceView_.size(), anchor);
    changed();
}

void PictureViews::panBy(QPointF delta)
{
    viewport_.panBy(delta, source_.size(), sourceView_.size());
    changed();
}

void PictureViews::changed()
{
    sourceCache_.reset();
    const bool pannable = viewport_.canPan(source_.size(), sourceView_.size());
    for (PictureView* view : {&sourceView_, &previewView_}) {
        view->setPannable(pannable);
        view->invalidate();
    }
}

Displayed PictureViews::sourceDisplayed(QSize size, double dpr)
{
    if (!sourceCache_ || sourceCache_->size != size || sourceCache_->dpr != dpr) {
        const QRect rect = viewport_.place(source_.size(), size, dpr);
        const QSize device(qRound(size.width() * dpr), qRound(size.height() * dpr));
        Displayed shown = source_.render(rect, device);
        shown.pixels.setDevicePixelRatio(dpr);
        sourceCache_ = Cached{size, dpr, std::move(shown)};
    }
    return sourceCache_->shown;
}

Displayed PictureViews::previewDisplayed(QSize size, double dpr)
{
    if (!renderedPixels_.isNull()) {
        const QSize device(qRound(size.width() * dpr), qRound(size.height() * dpr));
        Displayed shown = renderedPixels_.render(viewport_.place(renderedPixels_.size(), size, dpr), device);
        shown.pixels.setDevicePixelRatio(dpr);
        return shown;
    }
    // The live preview: the filter rule over the pixels the source view shows.
    Displayed shown = sourceDisplayed(size, dpr);
    QImage& pixels = shown.pixels;
    for (int y = 0; y < pixels.height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(pixels.scanLine(y)); // detaches from the source's copy
        table_.renderDisplayed(line, line, pixels.width());
    }
    return shown;
}

} // namespace views
