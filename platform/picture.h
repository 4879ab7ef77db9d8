#pragma once
// Picture services: load any picture Qt reads (upright, as photos are meant to be seen) and save a
// picture as a 24-bit bitmap in the system's layout.

#include <QImage>
#include <QString>

namespace platform {

class PictureMemory;

// The largest width or height the system handles, the render included (its row and column
// counters are 16-bit).
constexpr int kMaxPictureSide = 32766;

// Loads a picture by its content (BMP, JPEG, GIF, PNG and every format of Qt's image plugins), with
// the EXIF orientation applied. A missing file, a file that is no picture, a truncated one and one
// wider or taller than kMaxPictureSide throw RuntimeError with a message that names the file.
// A picture past the memory budget is refused by its size before it is decoded; with hold, the
// picture's share of the budget is held there for as long as the caller keeps the picture.
QImage loadPicture(const QString& path, PictureMemory* hold = nullptr);

// Loads a bitmap in the system's own 24-bit layout (what savePictureBmp24 writes) row by row
// straight into a QImage::Format_BGR888 picture, several times faster than a general decoder for
// a large photo; any other file goes to loadPicture. A cut file throws RuntimeError naming it.
QImage loadBmp24Picture(const QString& path);

// The picture as 24-bit BGR pixels (QImage::Format_BGR888), whatever its depth or palette;
// transparent pixels are laid over white, the background of the views.
QImage toBgr888(const QImage& picture);

// Writes the picture as a 24-bit bitmap to an open file; throws RuntimeError naming path.
void writeBmp24(const QImage& picture, int fd, const QString& path);

// Creates path (never over an existing file or through a link) and writes the picture to it.
void savePictureBmp24(const QImage& picture, const QString& path);

} // namespace platform
