// The window's side of long work: a render, counted row by row, and the steps of reading or
// writing a QPX file, during which the window keeps handling its events.

#include "velmor/shell/frmmain.h"

#include "platform/yield.h"
#include "velmor/engine/filters.h"
#include "velmor/engine/renderfilter.h"

#include <QRadioButton>

engine::ColorValue frmMain::selectedFilterColor() const
{
    for (int i = 0; i < engine::kFilterCount; ++i)
        if (optFilt[i]->isChecked())
            return engine::filterColor(i, CustomColor);
    return engine::filterColor(0, CustomColor);
}

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

void frmMain::RenderFilter()
{
    setActivity(Activity::Rendering);
    // The grid has the picture's own size, whatever size the view shows it at.
    const int W = SourcePixels().width;
    const int H = SourcePixels().height;
    const engine::ColorValue FilterColor = selectedFilterColor();

    showProgress(H, FilterColor);

    platform::TimeSlicedYield yield(services_.yieldSlice);
    const engine::RenderHooks hooks{[&] { yield(); }, [this] { mxbPrv->StepIt(); }, [this] { return closeRequested_; }};
    engine::RenderedFiles files;
    try {
        files = engine::renderFilter(SourcePixels(), W, H, FilterColor, TempFolder, hooks);
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
    // The preview view holds its picture in memory; the earlier output file has no reader left.
    removeTempFile(outputRendered(files.outputPath));
    hideProgress();
}

void frmMain::beginLongWork(int steps)
{
    setActivity(Activity::LongWork);
    showProgress(steps, selectedFilterColor());
    longWork_ = std::make_unique<platform::LongWorkListener>([this](platform::WorkStep) { mxbPrv->StepIt(); });
}

void frmMain::endLongWork()
{
    longWork_.reset();
    hideProgress();
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}
