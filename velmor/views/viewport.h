#pragma once
// The part of a picture the two views show, one for both, so that a detail of the source and of
// the preview is compared side by side: the whole picture at the largest size that fits (the
// default, never past 100 %), or a zoom with a chosen point of the picture at the views' centre.
// Picture positions are the picture's own pixels, view sizes logical pixels; where the picture
// lands is worked out in device pixels, so that it is drawn at the screen's own resolution.

#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>

namespace views {

// The zooms Ctrl++ and Ctrl+- step through, as logical pixels per picture pixel (1 is 100 %).
inline constexpr std::array<double, 17> kZoomSteps{
    1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 1.5, 2, 3, 4, 6, 8, 12, 16};

// The largest scale at which the whole picture fits the view, never above 1.
double fitScale(QSize picture, QSize view);

class Viewport {
public:
    bool isFit() const { return fit_; }
    // Logical pixels per picture pixel for a picture in a view of the given size.
    double scale(QSize picture, QSize view) const;
    // The device pixels of a view (view logical pixels times dpr) that the whole picture maps
    // onto. Fitted, the picture is centred, and fills a view made for it (of its shape to a
    // pixel), so no rounding leaves a white line; zoomed, it may reach past the view's edges.
    QRect place(QSize picture, QSize view, double dpr) const;
    // The picture reaches past the view, so that dragging moves it.
    bool canPan(QSize picture, QSize view) const;

    void fit();
    // Zooms to scale, keeping the picture point under anchor (view logical pixels) in place.
    void zoomTo(double scale, QSize picture, QSize view, QPointF anchor);
    // One step of kZoomSteps up or down; down past the fitted size gives the fitted picture.
    void zoomIn(QSize picture, QSize view, QPointF anchor);
    void zoomOut(QSize picture, QSize view, QPointF anchor);
    // Moves the picture by delta logical pixels, as a drag does.
    void panBy(QPointF delta, QSize picture, QSize view);

private:
    QPointF centre(QSize picture, QSize view) const; // kept within the picture's reach
    bool fit_ = true;
    double scale_ = 1;
    QPointF centre_; // the picture point at the views' centre when zoomed
};

} // namespace views
