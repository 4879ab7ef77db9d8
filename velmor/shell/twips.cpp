#include "velmor/shell/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace shell {

Twips::Twips(float perPixel) : perPixel_(perPixel)
{
    if (perPixel_ > 0)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    perPixel_ = static_cast<float>(1440.0 / (dpi > 0 ? dpi : 96.0));
}

int Twips::toPixels(float twips) const
{
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(double(twips) / double(perPixel_)));
}

float Twips::toTwips(int pixels) const
{
    return static_cast<float>(double(pixels) * double(perPixel_));
}

QRect Twips::toPixels(float left, float top, float width, float height) const
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

float Twips::left(const QWidget* w) const { return toTwips(w->x()); }
float Twips::top(const QWidget* w) const { return toTwips(w->y()); }
float Twips::width(const QWidget* w) const { return toTwips(w->width()); }
float Twips::height(const QWidget* w) const { return toTwips(w->height()); }

} // namespace shell
