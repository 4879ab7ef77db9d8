#pragma once
// The source and preview views side by side. Both show their pictures at one common scale: the
// picture's own size, or smaller when the window the layout rule gives would not fit the area the
// screen leaves for it. Only the display is scaled; the grid, the render and every file keep the
// picture's own size.

#include "velmor/shell/screenfit.h"

#include <QImage>
#include <QSize>

namespace shell {

class PictureBox;

class PictureViews {
public:
    PictureViews(PictureBox& source, PictureBox& preview) : source_(source), preview_(preview) { }

    // 1 when the views show the source at its own size, below 1 when scaled down to fit.
    double scale() const { return scale_; }

    // Shows a newly opened picture in the source view, at the scale that lets a window of the
    // given design fit the available area. The source view's resize lays the window out.
    void showSource(const QImage& picture, const FitBase& base, QSize available);
    // Shows the picture in the preview view at the source's scale; a null picture empties it.
    void showPreview(const QImage& picture);
    // Shrinks both views when the window they ask for no longer fits the area (another screen, a
    // frame drawn late). True when they shrank.
    bool shrinkToFit(const FitBase& base, QSize available);

private:
    PictureBox& source_;
    PictureBox& preview_;
    double scale_ = 1;
    QSize pictureSize_; // the opened picture's own size, whatever the views show
};

} // namespace shell
