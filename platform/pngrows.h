#pragma once
// PNG read through libpng a row at a time.

#include "platform/picturerows.h"

namespace platform {

// The PNG at path as rows, or null when it is no PNG or one that is read whole: interlaced (its
// passes cover the whole picture), with alpha or a transparent colour (laid over white when held),
// of another depth than 8 bits, or cut short.
std::unique_ptr<PictureRows> openPngRows(const QString& path);

} // namespace platform
