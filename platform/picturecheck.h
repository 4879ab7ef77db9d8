#pragma once
// Qt's readers hand back whatever they decoded before a file ended, so truncation is checked here by
// walking the file's own structure.

#include <QByteArray>
#include <QString>

namespace platform {

// A short Japanese reason when the bytes are a BMP, JPEG, GIF or PNG that ends before its structure
// does, a GIF whose picture data is damaged or a BMP with an impossible bit count; empty when it is
// complete or of another kind (other readers report truncation themselves).
QString truncationProblem(const QByteArray& bytes);

// The reason given for a picture whose data is damaged or missing.
QString damagedPictureMessage();

} // namespace platform
