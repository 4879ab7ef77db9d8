#pragma once
// TIFF read through libtiff a strip at a time, a scanline per call.

#include "platform/picturerows.h"

namespace platform {

// The first picture of the TIFF at path as rows, or null when it is no TIFF or one that is read
// whole: tiled, turned by its orientation, with alpha or a palette, planes stored apart, or of
// another depth than 8 bits.
std::unique_ptr<PictureRows> openTiffRows(const QString& path);

} // namespace platform
