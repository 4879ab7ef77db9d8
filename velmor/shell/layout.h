#pragma once
// The window follows the source picture: the preview view takes the source view's size and stands
// to its right, and the window grows to hold both, never below its designed size.

#include "velmor/workflow/formstate.h"

namespace shell {

struct LayoutTargets {
    float formWidth;   // outer width of the window
    float formHeight;  // outer height of the window
    float previewLeft; // left edge of picPrev
};

// What the window and picPrev become for a source view of the given size (twips). Each result is
// computed without intermediate rounding and rounded to single precision once.
LayoutTargets layoutFor(const workflow::FormState& base, float sourceWidth, float sourceHeight);

} // namespace shell
