#include "velmor/shell/screenfit.h"

#include <algorithm>
#include <cmath>

namespace shell {

QSize ruleWindowSize(const FitBase& base, QSize view)
{
    return {base.form.width() + 2 * std::max(0, view.width() - base.source.width()),
        base.form.height() + std::max(0, view.height() - base.source.height())};
}

ScreenFit fitToArea(const FitBase& base, QSize picture, QSize available)
{
    const QSize ruled = ruleWindowSize(base, picture);
    if (picture.isEmpty() || (ruled.width() <= available.width() && ruled.height() <= available.height()))
        return {true, 1.0, picture};

    // The largest views the area holds. A screen smaller than the design leaves the views no
    // room to grow; they then keep to the designed size.
    const int maxWidth = std::max(1, base.source.width() + std::max(0, available.width() - base.form.width()) / 2);
    const int maxHeight = std::max(1, base.source.height() + std::max(0, available.height() - base.form.height()));
    const double byWidth = double(maxWidth) / picture.width();
    const double byHeight = double(maxHeight) / picture.height();

    ScreenFit fit;
    fit.fits = false;
    fit.factor = std::min({1.0, byWidth, byHeight});
    // The side that limits takes its largest size exactly; the other follows the factor, at
    // least one pixel and never past its own limit.
    auto follow = [&](int side, int limit) { return std::clamp(int(std::nearbyint(side * fit.factor)), 1, limit); };
    if (byWidth <= byHeight)
        fit.displayed = {std::min(picture.width(), maxWidth), follow(picture.height(), maxHeight)};
    else
        fit.displayed = {follow(picture.width(), maxWidth), std::min(picture.height(), maxHeight)};
    return fit;
}

} // namespace shell
