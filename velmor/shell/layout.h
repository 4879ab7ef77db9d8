#pragma once
// The window follows the source picture: the preview view takes the source view's size and stands
// to its right, and the window grows to hold both, never below its designed size.

namespace shell {

// What the layout rule starts from, recorded at start-up (twips). Before that every size is 0 and
// Loading is set, so that no resize of the source view lays anything out.
struct LayoutBase {
    // Outer size of the window, frame included.
    float BaseFormWidth = 0;
    float BaseFormHeight = 0;
    // Size of picSrc and left edge of picPrev.
    float BaseSourceWidth = 0;
    float BaseSourceHeight = 0;
    float BasePreviewLeft = 0;
    // Set while the base sizes are not yet recorded.
    bool Loading = true;
};

struct LayoutTargets {
    float formWidth;   // outer width of the window
    float formHeight;  // outer height of the window
    float previewLeft; // left edge of picPrev
};

// What the window and picPrev become for a source view of the given size (twips). Each result is
// computed without intermediate rounding and rounded to single precision once.
LayoutTargets layoutFor(const LayoutBase& base, float sourceWidth, float sourceHeight);

} // namespace shell
