#pragma once
// The command that registers a control module for this user, as advice in error messages: it
// must work as written, from the build folder as well as once installed.

#include <QString>

namespace platform::component {

// "velmor-regsvr /usr/lib/<multiarch>/velmor/libqpxctrl.so" when the registration tool on the PATH
// is the one beside the running program, otherwise the tool by its full path. The module is the
// file of that name in the running program's folder.
QString registrationCommand(const QString& moduleFileName);

} // namespace platform::component
