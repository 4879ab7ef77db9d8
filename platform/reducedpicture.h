#pragma once
// A first look at a large photo: a JPEG decoded at a half, a quarter or an eighth of its size by
// libjpeg's DCT scaling (through Qt's scaled reading), which costs a fraction of the whole decode,
// so that a window can show the photo long before the whole picture is in.

#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

struct ReducedPicture {
    QImage picture; // upright, reduced; null when no reduced view is worth making
    QSize size;     // the whole picture's upright size, when picture is not null
};

// The picture at path reduced by the largest of 2, 4 and 8 that still leaves it at least the given
// size (upright), when the file is a JPEG of 4 megapixels or more, large enough for that. Anything
// else (another format, a smaller photo, a file that cannot be read or is too large to open,
// damaged data) gives no reduced picture and no error: the whole decode that follows reports
// what is wrong.
ReducedPicture loadReducedPicture(const QString& path, QSize atLeast);

} // namespace platform
