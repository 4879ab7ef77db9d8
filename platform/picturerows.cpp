#include "platform/picturerows.h"

#include "platform/fs.h"
#include "platform/jpegrows.h"
#include "platform/nativepath.h"
#include "platform/pngrows.h"
#include "platform/tiffrows.h"

#include <cstring>
#include <string>
#include <unistd.h>

namespace platform {

std::unique_ptr<PictureRows> openPictureRows(const QString& path)
{
    if (auto rows = openJpegRows(path))
        return rows;
    if (auto rows = openPngRows(path))
        return rows;
    return openTiffRows(path);
}

namespace rows {

int openWithSignature(const QString& path, std::initializer_list<std::string_view> signatures)
{
    const int fd = fs::openRegularForReading(nativePathString(path));
    if (fd < 0)
        return -1;
    for (std::string_view signature : signatures) {
        std::string head(signature.size(), '\0');
        if (::pread(fd, head.data(), head.size(), 0) == ssize_t(head.size()) && head == signature)
            return fd;
    }
    ::close(fd);
    return -1;
}

std::FILE* openStreamWithSignature(const QString& path, std::string_view signature)
{
    const int fd = openWithSignature(path, {signature});
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

void greyToBgr(const std::uint8_t* grey, std::uint8_t* bgr, int width)
{
    for (int x = 0; x < width; ++x)
        std::memset(bgr + std::size_t(x) * 3, grey[x], 3);
}

} // namespace rows
} // namespace platform
