#pragma once
// Qt's readers hand back whatever they decoded before a file ended, so truncation is checked here by
// walking the file's own structure.

#include <QByteArray>
#include <QString>

namespace platform {

// A short Japanese reason when the bytes are a BMP, JPEG or GIF that ends before its structure
// does; empty when it is complete or of another kind (other readers report truncation themselves).
QString truncationProblem(const QByteArray& bytes);

} // namespace platform
