#include "platform/picturerows.h"

#include "platform/jpegrows.h"
#include "platform/pngrows.h"
#include "platform/tiffrows.h"

namespace platform {

std::unique_ptr<PictureRows> openPictureRows(const QString& path)
{
    if (auto rows = openJpegRows(path))
        return rows;
    if (auto rows = openPngRows(path))
        return rows;
    return openTiffRows(path);
}

} // namespace platform
