#pragma once
// The output bitmap as a picture, for the preview view and for the QPX control.

#include <QImage>
#include <QString>

namespace workflow {

// Loads the bitmap at path. A file in the system's own 24-bit layout is read row by row straight
// into the picture, several times faster than a general decoder for a large photo; anything else
// goes to the platform's loader. Throws platform::RuntimeError naming the file.
QImage loadOutputPicture(const QString& path);

} // namespace workflow
