#pragma once
// JPEG read through libjpeg-turbo's scanlines, a row at a time.

#include "platform/picturerows.h"

namespace platform {

// The JPEG at path as rows, or null when it is no JPEG or one that is read whole: progressive (its
// coefficients are held whole by libjpeg anyway), CMYK, turned by its EXIF orientation, past the
// side limit, or with a header libjpeg finds fault with.
std::unique_ptr<PictureRows> openJpegRows(const QString& path);

} // namespace platform
