#pragma once
// The state that the main window's operations share for the whole run. Before the start-up
// sequence runs, numbers are 0, texts empty, flags false and the grid empty; Loading alone is set
// from the start, so that no resize of the source view lays anything out before the base sizes
// are known.

#include "velmor/engine/colorvalues.h"
#include "velmor/engine/sourcepixels.h"
#include "velmor/workflow/sourceguard.h"

#include <QString>
#include <optional>

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
    // Pixels of the current source picture.
    engine::SourcePixels SourcePixels;
    // The file the current source was opened from; nothing before the first or when it is gone.
    std::optional<SourceFile> OpenedFile;
    // The temporary source bitmap (gone once it has been read).
    QString SourceTempPath;
    // The rendered output bitmap; empty when there is none.
    QString OutputTempPath;
    engine::ColorValue CustomColor = 0;
    // The file at OutputTempPath holds the current source under the current filter.
    bool PreviewFresh = false;
};

} // namespace workflow
