#include "platform/picturerows.h"

#include "platform/jpegrows.h"
#include "platform/pngrows.h"

namespace platform {

std::unique_ptr<PictureRows> openPictureRows(const QString& path)
{
    if (auto rows = openJpegRows(path))
        return rows;
    return openPngRows(path);
}

} // namespace platform
