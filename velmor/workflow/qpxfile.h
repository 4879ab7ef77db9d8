#pragma once
// The one place where the workflow meets the QPX control qpxFile. The control is called late, by
// dispatch identifier; pictures cross as QImage, a null QImage being no picture.

#include <QImage>
#include <QString>

namespace platform::component {
class Control;
}

namespace workflow {

constexpr int kDispSaveQPX = 0x60030000;
constexpr int kDispOpenQPX = 0x60030001;

// A path whose last four characters are ".QPX" in any case belongs to the QPX control.
bool isQpxPath(const QString& path);

// The picture in the QPX file; a null picture when the control yields none (it has then told the
// user why). Without a control, or when the control fails, throws platform::RuntimeError.
QImage OpenQPX(platform::component::Control* qpxFile, const QString& path);

// Writes the picture as a QPX file at path. Throws platform::RuntimeError when there is no
// control, when it fails or refuses, or when no file stands at path afterwards.
void SaveQPX(platform::component::Control* qpxFile, const QImage& picture, const QString& path);

} // namespace workflow
