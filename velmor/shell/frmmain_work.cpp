// The window's side of long work: a render, counted row by row, and the steps of opening a picture
// or reading or writing a QPX file, during which the window keeps handling its events. Escape
// stops any of them; closing the window stops a render and waits for the other steps.

#include "velmor/shell/frmmain.h"

#include "platform/yield.h"
#include "velmor/engine/renderfilter.h"

#include <QApplication>

// The bar counts max steps in the filter colour: over the preview for a render or a QPX file
// written, over the source view for a picture opened.
void frmMain::showProgress(shell::MoxelBar* bar, int max, engine::ColorValue colour)
{
    progressBar_ = bar;
    bar->setMax(max);
    bar->setMin(0);
    bar->setValue(0);
    bar->setBarColor(colour);
    bar->setVisible(true);
}

void frmMain::hideProgress()
{
    if (progressBar_)
        progressBar_->setVisible(false);
    setActivity(Activity::Idle);
}

QString frmMain::RenderFilter(const workflow::RenderJob& job)
{
    setActivity(Activity::Rendering);
    // The grid has the picture's own size, whatever size the view shows it at.
    const int W = job.pixels->width;
    const int H = job.pixels->height;
    const engine::ColorValue FilterColor = job.filterColor;

    showProgress(mxbPrv, H, FilterColor);

    platform::TimeSlicedYield yield(services_.yieldSlice);
    const engine::RenderHooks hooks{[&] { yield(); }, [this] { mxbPrv->StepIt(); },
        [this] { return closeRequested_ || stopRequested_; }};
    engine::RenderedFiles files;
    try {
        files = engine::renderFilter(*job.pixels, W, H, FilterColor, tempFolder_, hooks);
    } catch (const engine::RenderCancelled&) {
        if (!closeRequested_) {
            hideProgress(); // stopped by Escape: the commands come back
            throw;
        }
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

void frmMain::beginLongWork(shell::MoxelBar* bar, int steps)
{
    setActivity(Activity::LongWork);
    showProgress(bar, steps, session_.FilterColor());
    QApplication::setOverrideCursor(Qt::BusyCursor);
    longWork_ = std::make_unique<platform::LongWorkListener>([bar](platform::WorkStep) { bar->StepIt(); });
    if (stopRequested_)
        longWork_->requestStop(); // Escape came before the first step
}

void frmMain::endLongWork()
{
    longWork_.reset();
    QApplication::restoreOverrideCursor();
    hideProgress();
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void frmMain::stopWork()
{
    stopRequested_ = true;
    if (longWork_)
        longWork_->requestStop();
}
