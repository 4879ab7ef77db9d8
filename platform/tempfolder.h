#pragma once

#include <QString>

namespace platform {

// The per-user private temporary folder, ending with '/': "velmor-<uid>" inside $TMPDIR (or /tmp),
// made with mode 0700. /tmp is shared by every user, so the folder must be ours, private and not
// a link, or another user could plant links at our work names; anything else is refused with a
// RuntimeError that says why. The calling process joins the folder's instances (tempsweep.h).
QString privateTempFolder();

} // namespace platform
