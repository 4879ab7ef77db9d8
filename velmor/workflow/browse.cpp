// Browse: the only way a picture enters the program. The new picture is loaded, written out as a
// temporary bitmap and read into the source grid before anything on the window changes, so that a
// failure anywhere leaves the previous source whole: its view, its grid and its path still agree.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/tempnames.h"
#include "velmor/engine/sourcepixels.h"
#include "platform/qpxclient/qpxclient.h"
#include "velmor/workflow/sourceguard.h"

#include <QFile>

namespace workflow {

OpenedPicture openPicture(const QString& path, const OpenInputs& inputs, QString& undeletedTemp)
{
    OpenedPicture source;
    try {
        if (qpxclient::isQpxPath(path)) {
            // Two steps in the control: the archive unpacked, its bitmap read.
            const LongWork work(inputs.longWork, 2);
            source.picture = qpxclient::OpenQPX(inputs.qpx, path);
        } else {
            source.picture = platform::loadPicture(path);
        }
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(), QStringLiteral("画像を開けませんでした。\n\n%1").arg(e.text()));
    }
    if (source.picture.isNull())
        throw platform::RuntimeError(platform::kInvalidPicture,
            QStringLiteral("画像を開けませんでした。\n\n%1: QPX ファイルから画像を取り出せませんでした").arg(path));

    // The view takes the picture's size, so its size is the grid's W and H.
    const int width = source.picture.width();
    const int height = source.picture.height();
    try {
        platform::TempFile temp(inputs.tempFolder, QStringLiteral("Velmor"));
        const QString tempPath = temp.path();
        try {
            platform::writeBmp24(source.picture, temp.fd(), temp.path());
            temp.close();
        } catch (...) {
            temp.remove();
            throw;
        }
        try {
            source.pixels = engine::LoadSourcePixels(tempPath, width, height);
        } catch (...) {
            if (!QFile::remove(tempPath) && QFile::exists(tempPath))
                undeletedTemp = tempPath;
            throw;
        }
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(),
            QStringLiteral("画像を一時ファイルに書き出せなかったため、開けませんでした。\n\n%1").arg(e.text()));
    }
    source.file = identifySourceFile(path);
    return source;
}

} // namespace workflow
