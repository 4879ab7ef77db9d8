#include "platform/picturerows.h"

#include "platform/jpegrows.h"

namespace platform {

std::unique_ptr<PictureRows> openPictureRows(const QString& path)
{
    return openJpegRows(path);
}

} // namespace platform
