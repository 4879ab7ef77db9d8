#pragma once
// A plain 24-bit bottom-up bitmap read in strips with ordinary reads. A file that shrinks or
// changes while it is read gives a clear error where a mapping would kill the process (SIGBUS).

#include "velmor/cli/filterjob.h"

#include <QString>
#include <memory>

namespace cli {

// The bitmap at input as a source, or null when it is not a complete plain 24-bit bottom-up
// bitmap within the size limits (it is then decoded as any other picture). Rows are best asked
// for bottom up; a row that can no longer be read throws platform::RuntimeError.
std::unique_ptr<Source> openStreamedBitmap(const QString& input);

} // namespace cli
