// Browse: the only way a picture enters the program. The new picture is loaded, written out as a
// temporary bitmap and read into the source grid before the session or the window changes, so that
// a failure anywhere leaves the previous source whole: its view, its grid and its path still agree.
// The detour through the bitmap is kept for its temporary name: every open reads the clock and
// draws a number, and the render's names follow on from those draws (docs/how-it-works.md).

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "platform/formats/metadata.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/tempnames.h"
#include "velmor/engine/sourcepixels.h"
#include "platform/qpxclient/qpxclient.h"
#include "velmor/workflow/sourceguard.h"

#include <unistd.h>

namespace workflow {

QImage openPicture(Session& session, const QString& path, const OpenInputs& inputs)
{
    QImage picture;
    try {
        if (qpxclient::isQpxPath(path)) {
            // Two steps in the control: the archive unpacked, its bitmap read.
            const LongWork work(inputs.longWork, 2);
            picture = qpxclient::OpenQPX(inputs.qpx, path);
        } else {
            picture = platform::loadPicture(path);
        }
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(), QStringLiteral("画像を開けませんでした。\n\n%1").arg(e.text()));
    }
    if (picture.isNull())
        throw platform::RuntimeError(platform::kInvalidPicture,
            QStringLiteral("画像を開けませんでした。\n\n%1: QPX ファイルから画像を取り出せませんでした").arg(path));

    // The grid has the picture's own size, whatever size the view shows it at.
    const int width = picture.width();
    const int height = picture.height();
    engine::SourcePixels pixels;
    try {
        platform::TempFile temp(inputs.tempFolder, QStringLiteral("Velmor"));
        const QString tempPath = temp.path();
        try {
            platform::writeBmp24(picture, temp.fd(), temp.path());
            temp.close();
        } catch (...) {
            temp.remove();
            throw;
        }
        try {
            pixels = engine::LoadSourcePixels(tempPath, width, height);
        } catch (...) {
            const QByteArray native = platform::toNativePath(tempPath);
            if (::unlink(native.constData()) != 0 && ::access(native.constData(), F_OK) == 0)
                session.sourceTempLeft(tempPath);
            throw;
        }
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(),
            QStringLiteral("画像を一時ファイルに書き出せなかったため、開けませんでした。\n\n%1").arg(e.text()));
    }
    // A QPX file holds a bare bitmap; a photo's metadata is read for Create to carry on.
    formats::PhotoMetadata metadata;
    if (!qpxclient::isQpxPath(path)) {
        metadata = formats::readPhotoMetadata(path);
        if (!metadata.resolution)
            metadata.resolution = formats::statedResolution(picture);
    }
    session.sourceOpened(std::move(pixels), identifySourceFile(path), path, std::move(metadata));
    return picture;
}

} // namespace workflow
