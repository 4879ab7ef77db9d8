#include "velmor/shell/pictureviews.h"

#include "velmor/shell/picturebox.h"
#include "velmor/shell/viewscale.h"

namespace shell {

void PictureViews::showSource(const QImage& picture, const FitBase& base, QSize available)
{
    const ScreenFit fit = fitToArea(base, picture.size(), available);
    scale_ = fit.factor;
    pictureSize_ = picture.size();
    source_.setPicture(fit.fits ? picture : scaledForView(picture, fit.displayed));
}

void PictureViews::showPreview(const QImage& picture)
{
    // The preview stands beside the source at the same scale.
    preview_.setPicture(scale_ < 1 ? scaledForView(picture, source_.size()) : picture);
}

bool PictureViews::shrinkToFit(const FitBase& base, QSize available)
{
    if (source_.picture().isNull() || pictureSize_.isEmpty())
        return false;
    const QSize window = ruleWindowSize(base, source_.size());
    if (window.width() <= available.width() && window.height() <= available.height())
        return false;
    // Only ever smaller: the views' own copies are reduced further, which costs no quality that
    // matters, while a larger view would need the picture again.
    const ScreenFit fit = fitToArea(base, pictureSize_, available);
    if (fit.displayed.width() >= source_.width() && fit.displayed.height() >= source_.height())
        return false;
    scale_ = fit.factor;
    source_.setPicture(scaledForView(source_.picture(), fit.displayed));
    if (!preview_.picture().isNull())
        preview_.setPicture(scaledForView(preview_.picture(), fit.displayed));
    return true;
}

} // namespace shell
