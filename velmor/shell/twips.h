#pragma once
// The window is designed in twips (1/1440 inch); Qt places widgets in pixels. Positions and sizes
// are held as single-precision twips and become whole pixels by rounding halves to even.

#include <QRect>

class QWidget;

namespace shell {

class Twips {
public:
    // perPixel 0 takes 1440 / the logical DPI of the primary screen (15 at 96 dpi).
    explicit Twips(float perPixel = 0);

    float perPixel() const { return perPixel_; }
    int toPixels(float twips) const;
    float toTwips(int pixels) const;
    QRect toPixels(float left, float top, float width, float height) const;

    float left(const QWidget* w) const;
    float top(const QWidget* w) const;
    float width(const QWidget* w) const;
    float height(const QWidget* w) const;

private:
    float perPixel_;
};

} // namespace shell
