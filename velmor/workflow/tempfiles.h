#pragma once
// The session's temporary files as they go.

#include <QString>

namespace workflow {

// Deletes the temporary file at path when it is still an ordinary file; a failed delete leaves it
// for the next cleanup. An empty path is none.
void removeTempFile(const QString& path);

} // namespace workflow
