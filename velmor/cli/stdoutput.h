#pragma once
// "-o -": the bitmap goes to standard output, for a pipe or a redirection.

#include "velmor/cli/filterjob.h"

namespace cli {

inline bool isStandardOutput(const QString& output) { return output == QLatin1String("-"); }

// Why standard output cannot take a bitmap now (it is a terminal), or an empty text.
QString standardOutputRefusal();

// Writes the tinted source to standard output as the same 24-bit bitmap a file would get.
// Throws platform::RuntimeError.
void writeFilteredBitmapToStandardOutput(const Source& source, engine::ColorValue color);

} // namespace cli
