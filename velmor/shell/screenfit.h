#pragma once
// Today's photos are larger than any screen. When the window that the layout rule gives for a
// picture would not fit the area the screen leaves for windows, both views show the picture
// scaled down by one common factor, the largest that lets the window fit. Only the display is
// scaled: the grid, the render and every file keep the picture's own size.

#include <QSize>

namespace shell {

// The window as designed, in pixels: its outer size (frame included) and the source view's size.
struct FitBase {
    QSize form;
    QSize source;
};

struct ScreenFit {
    bool fits = true;    // the rule's window fits as it is: the views show the picture unscaled
    double factor = 1;   // displayed size / picture size; never above 1
    QSize displayed;     // the size of each view
};

// The outer size the layout rule gives the window for views of the given size: both views take
// the extra width, the extra height counts once, and the window never shrinks below its design.
QSize ruleWindowSize(const FitBase& base, QSize view);

// How a picture is shown in a window that must lie within the available area.
ScreenFit fitToArea(const FitBase& base, QSize picture, QSize available);

} // namespace shell
