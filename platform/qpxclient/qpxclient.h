#pragma once
// A host's side of the QPX control: the control found by its programmatic identifier and called
// late, by dispatch identifier. Pictures cross as QImage, a null QImage being no picture. The
// window and velmor-filter both reach the control through here.

#include "platform/component/control.h"

#include <QImage>
#include <QString>
#include <memory>

class QWidget;

namespace qpxclient {

// A path that names a QPX file (qpx::isQpxName, asked of the path as it stands) belongs to the
// QPX control.
bool isQpxPath(const QString& path);

// The command that registers the control's module, and the sentence that advises it.
QString registrationCommand();
QString registrationAdvice();

// A new QPX control on parent. Throws platform::component::AutomationError when the control is
// not registered, its module cannot or may not be loaded, or the control cannot start; the text
// carries the registration advice when registering is the way out. OpenQPX and SaveQPX without a
// control give the reason of the last failure.
std::unique_ptr<platform::component::Control> createQpxControl(QWidget* parent);

// The picture in the QPX file; a null picture when the control yields none (it has then told the
// user why). Without a control, or when the control fails, throws platform::RuntimeError.
QImage OpenQPX(platform::component::Control* qpxFile, const QString& path);

// Writes the picture as a QPX file at path. Throws platform::RuntimeError when there is no
// control, when it fails or refuses, or when no file stands at path afterwards.
void SaveQPX(platform::component::Control* qpxFile, const QImage& picture, const QString& path);

} // namespace qpxclient
