#pragma once
// The state that the main window's operations share for the whole run, beside the picture
// session. Before the start-up
// sequence runs, numbers are 0, texts empty, and flags false; Loading alone is set
// from the start, so that no resize of the source view lays anything out before the base sizes
// are known.

#include "velmor/engine/colorvalues.h"

#include <QString>

namespace workflow {

struct FormState {
    // Outer size of the window, frame included, at start-up (twips).
    float BaseFormWidth = 0;
    float BaseFormHeight = 0;
    // Size of picSrc and left edge of picPrev at start-up (twips).
    float BaseSourceWidth = 0;
    float BaseSourceHeight = 0;
    float BasePreviewLeft = 0;
    // Set while the base sizes are not yet recorded.
    bool Loading = true;
    // The private temporary folder, ending in '/'.
    QString TempFolder;
    // A temporary source bitmap that could not be deleted after a failed open; empty when there is
    // none (a source bitmap is gone once read). Quitting tries again.
    QString SourceTempPath;
    engine::ColorValue CustomColor = 0;
};

} // namespace workflow
