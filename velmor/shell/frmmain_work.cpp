// The window's side of long work: a render, counted row by row, and the steps of reading or
// writing a QPX file, during which the window keeps handling its events.

#include "velmor/shell/frmmain.h"

#include "platform/yield.h"
#include "velmor/engine/renderfilter.h"

// The bar over the preview, counting max steps in the filter colour.
void frmMain::showProgress(int max, engine::ColorValue colour)
{
    mxbPrv->setMax(max);
    mxbPrv->setMin(0);
    mxbPrv->setValue(0);
    mxbPrv->setBarColor(colour);
    mxbPrv->setVisible(true);
}

void frmMain::hideProgress()
{
    mxbPrv->setVisible(false);
    setActivity(Activity::Idle);
}

QString frmMain::RenderFilter(const workflow::RenderJob& job)
{
    setActivity(Activity::Rendering);
    // The grid has the picture's own size, whatever size the view shows it at.
    const int W = job.pixels->width;
    const int H = job.pixels->height;
    const engine::ColorValue FilterColor = job.filterColor;

    showProgress(H, FilterColor);

    platform::TimeSlicedYield yield(services_.yieldSlice);
    const engine::RenderHooks hooks{[&] { yield(); }, [this] { mxbPrv->StepIt(); }, [this] { return closeRequested_; }};
    engine::RenderedFiles files;
    try {
        files = engine::renderFilter(*job.pixels, W, H, FilterColor, tempFolder_, hooks);
    } catch (const engine::RenderCancelled&) {
        activity_ = Activity::ClosingAfterCancel; // the commands stay disabled
        mxbPrv->setVisible(false);
        // The window was closed during the render: it goes once the command has unwound.
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
        throw;
    } catch (...) {
        hideProgress();
        throw;
    }
    hideProgress();
    return files.outputPath;
}

void frmMain::beginLongWork(int steps)
{
    setActivity(Activity::LongWork);
    showProgress(steps, session_.FilterColor());
    longWork_ = std::make_unique<platform::LongWorkListener>([this](platform::WorkStep) { mxbPrv->StepIt(); });
}

void frmMain::endLongWork()
{
    longWork_.reset();
    hideProgress();
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}
