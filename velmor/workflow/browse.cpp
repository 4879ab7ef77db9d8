// Browse: the only way a picture enters the program. The new picture is loaded, written out as a
// temporary bitmap and read into the source grid before the session or the window changes, so that
// a failure anywhere leaves the previous source whole: its view, its grid and its path still agree.
// The detour through the bitmap is kept for its temporary name: every open reads the clock and
// draws a number, and the render's names follow on from those draws (docs/how-it-works.md).
// Each step is a long step: with a window waiting it runs on a worker, and the window may stop it.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "platform/formats/metadata.h"
#include "platform/longwork.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/reducedpicture.h"
#include "platform/tempnames.h"
#include "velmor/engine/sourcepixels.h"
#include "platform/qpxclient/qpxclient.h"
#include "velmor/workflow/sourceguard.h"

#include <unistd.h>

namespace workflow {
namespace {

// The picture at path, whole: through the QPX control (its archive unpacked, its bitmap read) or
// the platform's loading, after a reduced first view of a large photo when the window asks for one.
// A photo's metadata is read with it, for Create to carry on; a QPX file holds a bare bitmap.
QImage loadWhole(const QString& path, const OpenInputs& inputs, formats::PhotoMetadata& metadata)
{
    if (qpxclient::isQpxPath(path))
        return qpxclient::OpenQPX(inputs.qpx, path);
    if (inputs.firstView) {
        const platform::ReducedPicture first = platform::runLongStep(platform::WorkStep::LoadPicture,
            [&] { return platform::loadReducedPicture(path, inputs.firstViewAtLeast); });
        if (!first.picture.isNull())
            inputs.firstView(first.picture, first.size);
    }
    return platform::runLongStep(platform::WorkStep::LoadPicture, [&] {
        QImage picture = platform::loadPicture(path);
        metadata = formats::readPhotoMetadata(path);
        return picture;
    });
}

} // namespace

void openPicture(Session& session, const QString& path, const OpenInputs& inputs)
{
    // Two steps to the whole picture (a first view or the control's unpacking, then the decode),
    // unless no first view is asked for; then the temporary bitmap written and the grid read.
    const bool qpx = qpxclient::isQpxPath(path);
    const LongWork work(inputs.longWork, qpx || inputs.firstView ? 4 : 3);
    QImage picture;
    formats::PhotoMetadata metadata;
    try {
        picture = loadWhole(path, inputs, metadata);
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(), QStringLiteral("画像を開けませんでした。\n\n%1").arg(e.text()));
    }
    if (picture.isNull())
        throw platform::RuntimeError(platform::kInvalidPicture,
            QStringLiteral("画像を開けませんでした。\n\n%1: QPX ファイルから画像を取り出せませんでした").arg(path));

    if (!qpx && !metadata.resolution)
        metadata.resolution = formats::statedResolution(picture);

    // The grid has the picture's own size, whatever size the view shows it at.
    const int width = picture.width();
    const int height = picture.height();
    engine::SourcePixels pixels;
    try {
        platform::TempFile temp(inputs.tempFolder, QStringLiteral("Velmor"));
        const QString tempPath = temp.path();
        try {
            platform::runLongStep(platform::WorkStep::SavePicture, [&] {
                platform::writeBmp24(picture, temp.fd(), temp.path());
                temp.close();
                // The grid takes its place in memory; freed here, the pages go off the window's thread.
                picture = QImage();
            });
        } catch (...) {
            temp.remove();
            throw;
        }
        try {
            pixels = platform::runLongStep(platform::WorkStep::LoadPicture,
                [&] { return engine::LoadSourcePixels(tempPath, width, height); });
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
    session.sourceOpened(std::move(pixels), identifySourceFile(path), path, std::move(metadata));
}

} // namespace workflow
