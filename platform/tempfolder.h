#pragma once

#include <QString>

namespace platform {

// The per-user private temporary folder, ending with '/': "velmor-<uid>" inside $TMPDIR (or /tmp),
// made with mode 0700. /tmp is shared by every user, so the folder must be ours, private and not
// a link, or another user could plant links at our work names. When that name is taken (another
// account made it first, a link, an open folder), no one is stopped by it: $XDG_RUNTIME_DIR/velmor
// stands in, else a fresh private folder "velmor-<uid>.XXXXXX" beside it for this process alone
// (removed at exit when empty); stderr says so once, and the taken name is never touched. Throws
// RuntimeError only when no folder at all can be had. The calling process joins the folder's
// instances (tempsweep.h).
QString privateTempFolder();

} // namespace platform
