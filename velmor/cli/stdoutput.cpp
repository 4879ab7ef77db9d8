#include "velmor/cli/stdoutput.h"

#include "platform/picture.h"

#include <unistd.h>

namespace cli {

QString standardOutputRefusal()
{
    if (::isatty(STDOUT_FILENO))
        return QStringLiteral("-o - は標準出力にビットマップを書きますが、標準出力が端末です (リダイレクトかパイプで受けてください)");
    return {};
}

void writeFilteredBitmapToStandardOutput(const Source& source, engine::ColorValue color)
{
    // A pipe cannot be replaced whole, so the picture is rendered first and written in one go.
    platform::writeBmp24(filteredPicture(source, color), STDOUT_FILENO, QStringLiteral("標準出力"));
}

} // namespace cli
