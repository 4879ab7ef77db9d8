#pragma once
// Our own reader for the bitmaps that Qt's reader gets wrong: 16-bit and bit-field pictures (every
// channel scaled to 0-255, whatever its width), palettes shorter than the bit count allows (OS/2
// bitmaps above all), and run-length bitmaps (RLE8, RLE4), whose undrawn pixels Qt left as
// whatever memory held. 24-bit, 24-bit run-length and embedded JPEG or PNG bitmaps are left to Qt.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform::bmp {

// True when the bytes are a bitmap this reader decodes; size gets its width and height.
bool readsItself(const QByteArray& bytes, QSize* size);

// Decodes a bitmap for which readsItself() is true. The file's structure has been checked
// (truncationProblem); a null picture comes with a Japanese reason in problem.
QImage read(const QByteArray& bytes, QString* problem);

} // namespace platform::bmp
