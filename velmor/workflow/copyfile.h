#pragma once
// Create's bitmap copy: the user's file is replaced in one step, so that it is either its old self
// or the whole copy, never a half-written file.

#include <QString>

namespace workflow {

// Copies from byte for byte to to, replacing a file there. Throws platform::RuntimeError naming
// the file that failed; to is then as it was.
void copyFileReplacing(const QString& from, const QString& to);

} // namespace workflow
