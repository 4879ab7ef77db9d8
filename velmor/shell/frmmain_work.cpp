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

void frmMain::RenderFilter()
{
    setActivity(Activity::Rendering);
    // The grid has the picture's own size, whatever size the view shows it at.
    const int W = SourcePixels().width;
    const int H = SourcePixels().height;
    const engine::ColorValue FilterColor = selectedFilterColor();

    mxbPrv->setMax(H);
    mxbPrv->setMin(0);
    mxbPrv->setValue(0);
    mxbPrv->setBarColor(FilterColor);
    mxbPrv->setVisible(true);

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
        mxbPrv->setVisible(false);
        setActivity(Activity::Idle);
        throw;
    }
    // The preview view holds its picture in memory; the earlier output file has no reader left.
    removeTempFile(outputRendered(files.outputPath));
    mxbPrv->setVisible(false);
    setActivity(Activity::Idle);
}

void frmMain::beginLongWork(int steps)
{
    setActivity(Activity::LongWork);
    mxbPrv->setMax(steps);
    mxbPrv->setMin(0);
    mxbPrv->setValue(0);
    mxbPrv->setBarColor(selectedFilterColor());
    mxbPrv->setVisible(true);
    longWork_ = std::make_unique<platform::LongWorkListener>([this](platform::WorkStep) { mxbPrv->StepIt(); });
}

void frmMain::endLongWork()
{
    longWork_.reset();
    mxbPrv->setVisible(false);
    setActivity(Activity::Idle);
    if (closeRequested_)
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}
