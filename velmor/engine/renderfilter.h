#pragma once
// A render of the source pixel grid into a new output bitmap in the temporary folder.

#include "velmor/engine/colorvalues.h"
#include "velmor/engine/renderrows.h"
#include "velmor/engine/sourcepixels.h"

#include <QString>

namespace engine {

struct RenderedFiles {
    QString scratchPath; // made, never written
    QString outputPath;  // the complete output bitmap
};

// Refuses a W or H above the render limit (overflow) before anything is written.
void checkRenderSize(int width, int height);

// Writes the grid tinted with the filter colour as a 24-bit bitmap under a new output name in
// tempFolder, rows bottom-up, and returns the names. W and H are the grid's own size, whatever a
// view shows; a size larger than the grid is an error. On any failure or cancellation the
// incomplete output is deleted and the error (or RenderCancelled) is thrown.
RenderedFiles renderFilter(const SourcePixels& grid, int width, int height, ColorValue filterColor,
    const QString& tempFolder, const RenderHooks& hooks = {});

} // namespace engine
