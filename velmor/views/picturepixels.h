#pragma once
// The pixels a view draws a picture from: the picture's own size, and its pixels at that size (the
// source grid, or a picture held whole such as a rendered output) and/or reduced (a photo's first
// view, decoded small). A view takes the smaller set whenever it still has the detail the screen
// can show, and draws each device pixel as the average of the picture pixels it covers, so that a
// picture shown at 100 % is drawn with its exact pixels.

#include "velmor/engine/sourcepixels.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>

namespace views {

// What a view shows at device pixels: the visible part of the picture and where it goes.
struct Displayed {
    QImage pixels; // RGB32, one pixel per device pixel; null when nothing of a picture shows
    QPoint at;     // its top-left corner in the view, device pixels
};

class PicturePixels {
public:
    PicturePixels() = default;
    // The source grid (bottom row first, as the bitmap stores it), with a reduced copy when one
    // was decoded.
    static PicturePixels ofGrid(std::shared_ptr<const engine::SourcePixels> grid, const QImage& reduced = {});
    // A picture held whole.
    static PicturePixels ofPicture(const QImage& picture);
    // Only a reduced copy of a picture of the given size, until the whole picture is in.
    static PicturePixels ofFirstView(const QImage& reduced, QSize size);

    QSize size() const { return size_; }
    bool isNull() const { return size_.isEmpty(); }
    // Every pixel is here at its own size (not only a reduced first view).
    bool isWhole() const { return grid_ || !whole_.isNull(); }
    // The reduced copy; null when there is none.
    const QImage& reduced() const { return reduced_; }

    // What shows of the picture mapped onto rect (device pixels) in a view of the given device size.
    Displayed render(const QRect& rect, QSize viewDevice) const;

private:
    QSize size_;
    std::shared_ptr<const engine::SourcePixels> grid_;
    QImage whole_;   // RGB32 or BGR888, when held whole
    QImage reduced_; // RGB32 or BGR888
};

} // namespace views
