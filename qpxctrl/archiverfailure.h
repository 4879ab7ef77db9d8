#pragma once
// The archiver's result codes as the errors a host sees: one table, read for a save and for an
// open alike.

#include "platform/component/control.h"
#include "qpxctrl/archiver.h"

#include <QString>

namespace qpx {

inline constexpr int kInvalidFileFormat = 321;
inline constexpr int kInternalError = 51;

enum class ArchiverStep { Save, Open };

// The error for a call that did not succeed: its number and a Japanese message that names the
// archive, followed by the archiver's own report when it gave one.
platform::component::AutomationError archiverFailure(ArchiverStep step, const QString& archive,
    const ArchiverReport& report);

} // namespace qpx
