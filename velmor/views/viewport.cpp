#include "velmor/views/viewport.h"

#include <algorithm>
#include <cmath>

namespace views {
namespace {

constexpr double kSame = 1e-9; // steps compare with a little slack for rounding

int rounded(double v)
{
    return int(std::lround(v));
}

// The centre along one axis: the middle when the picture is no wider than the view, else kept so
// that the picture covers the view.
double clampAxis(double centre, double pictureSide, double viewSide, double scale)
{
    if (pictureSide * scale <= viewSide)
        return pictureSide / 2;
    const double half = viewSide / (2 * scale);
    return std::clamp(centre, half, pictureSide - half);
}

} // namespace

double fitScale(QSize picture, QSize view)
{
    if (picture.isEmpty() || view.isEmpty())
        return 1;
    return std::min({1.0, double(view.width()) / picture.width(), double(view.height()) / picture.height()});
}

double Viewport::scale(QSize picture, QSize view) const
{
    return fit_ ? fitScale(picture, view) : scale_;
}

QPointF Viewport::centre(QSize picture, QSize view) const
{
    const double s = scale(picture, view);
    const QPointF wanted = fit_ ? QPointF(picture.width() / 2.0, picture.height() / 2.0) : centre_;
    return {clampAxis(wanted.x(), picture.width(), view.width(), s),
        clampAxis(wanted.y(), picture.height(), view.height(), s)};
}

QRect Viewport::place(QSize picture, QSize view, double dpr) const
{
    if (picture.isEmpty() || view.isEmpty())
        return {};
    const QSize device(rounded(view.width() * dpr), rounded(view.height() * dpr));
    if (fit_) {
        const double s = fitScale(picture, view);
        int w = std::clamp(rounded(picture.width() * s), 1, view.width());
        int h = std::clamp(rounded(picture.height() * s), 1, view.height());
        // A view made for the picture (its size is the picture's scaled, rounded to whole pixels)
        // is filled: the picture's shape changes by less than a pixel.
        const double byWidth = double(view.width()) / picture.width(), byHeight = double(view.height()) / picture.height();
        if (s < 1 && (std::abs(picture.height() * byWidth - view.height()) <= 1 || std::abs(picture.width() * byHeight - view.width()) <= 1)) {
            w = view.width();
            h = view.height();
        }
        const int x = (view.width() - w) / 2, y = (view.height() - h) / 2;
        return {rounded(x * dpr), rounded(y * dpr), std::max(1, rounded(w * dpr)), std::max(1, rounded(h * dpr))};
    }
    const double perPixel = scale_ * dpr; // device pixels per picture pixel
    const int w = std::max(1, rounded(picture.width() * perPixel));
    const int h = std::max(1, rounded(picture.height() * perPixel));
    const QPointF c = centre(picture, view);
    auto origin = [](int side, int deviceSide, double centre, double pictureSide) {
        if (side <= deviceSide)
            return (deviceSide - side) / 2;
        return std::clamp(rounded(deviceSide / 2.0 - centre * side / pictureSide), deviceSide - side, 0);
    };
    return {origin(w, device.width(), c.x(), picture.width()), origin(h, device.height(), c.y(), picture.height()), w, h};
}

bool Viewport::canPan(QSize picture, QSize view) const
{
    const double s = scale(picture, view);
    return !picture.isEmpty() && (picture.width() * s > view.width() + kSame || picture.height() * s > view.height() + kSame);
}

void Viewport::fit()
{
    fit_ = true;
}

void Viewport::zoomTo(double scale, QSize picture, QSize view, QPointF anchor)
{
    if (picture.isEmpty() || view.isEmpty())
        return;
    const double before = this->scale(picture, view);
    const QPointF offset = anchor - QPointF(view.width() / 2.0, view.height() / 2.0);
    const QPointF point = centre(picture, view) + offset / before; // the picture point under anchor
    fit_ = false;
    scale_ = scale;
    const QPointF wanted = point - offset / scale;
    centre_ = {clampAxis(wanted.x(), picture.width(), view.width(), scale),
        clampAxis(wanted.y(), picture.height(), view.height(), scale)};
}

void Viewport::zoomIn(QSize picture, QSize view, QPointF anchor)
{
    const double now = scale(picture, view);
    const auto next = std::find_if(kZoomSteps.begin(), kZoomSteps.end(), [&](double s) { return s > now * (1 + kSame); });
    if (next != kZoomSteps.end())
        zoomTo(*next, picture, view, anchor);
}

void Viewport::zoomOut(QSize picture, QSize view, QPointF anchor)
{
    const double now = scale(picture, view);
    const double fitted = fitScale(picture, view);
    const auto below = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(), [&](double s) { return s < now * (1 - kSame); });
    if (below == kZoomSteps.rend() || *below <= fitted * (1 + kSame))
        fit();
    else
        zoomTo(*below, picture, view, anchor);
}

void Viewport::panBy(QPointF delta, QSize picture, QSize view)
{
    if (fit_ || picture.isEmpty())
        return;
    const QPointF wanted = centre(picture, view) - delta / scale_;
    centre_ = {clampAxis(wanted.x(), picture.width(), view.width(), scale_),
        clampAxis(wanted.y(), picture.height(), view.height(), scale_)};
}

} // namespace views
