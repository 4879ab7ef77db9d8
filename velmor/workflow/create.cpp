// Create: writes the filtered picture where the user chose, in the format the name says: a QPX file
// for ".QPX", JPEG, PNG, TIFF or WebP for their extensions (with the photo's metadata), and a copy
// of the output bitmap for every other name. The output of a fresh preview is used as it is;
// otherwise the filter is rendered first.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "platform/formats/picturefile.h"
#include "platform/longwork.h"
#include "platform/nativepath.h"
#include "velmor/workflow/copyfile.h"
#include "platform/picture.h"
#include "platform/qpxclient/qpxclient.h"
#include "velmor/workflow/sourceguard.h"

#include <unistd.h>

namespace workflow {

bool createPicture(Session& session, const QString& destination, const CreateInputs& inputs)
{
    const bool qpx = qpxclient::isQpxPath(destination);
    const formats::Format format = qpx ? formats::Format::Bitmap : formats::formatOf(destination);
    const QString becomes = format == formats::Format::Bitmap ? QStringLiteral("ビットマップ")
                                                              : QStringLiteral(" %1 画像").arg(formats::nameOf(format));
    if (!mayWriteOverSource(session.OpenedFile(), destination, qpx, becomes, inputs.mayReplaceSource))
        return false; // the source picture stays; nothing is rendered or written

    if (!session.PreviewFresh()) {
        try {
            renderOutput(session, inputs.render);
        } catch (const platform::RuntimeError& e) {
            throw platform::RuntimeError(e.number(), QStringLiteral("画像を作成できませんでした。\n\n%1").arg(e.text()));
        }
    }

    // A destination that is the output bitmap itself must not be deleted after the copy.
    const auto target = identifySourceFile(destination);
    const auto output = identifySourceFile(session.OutputTempPath());
    const bool isOutputItself = target && output && target->device == output->device && target->inode == output->inode;
    try {
        if (qpx) {
            // Three steps: the output read back as a picture, the control's work bitmap, the archive.
            const LongWork work(inputs.longWork, 3);
            const QImage picture = platform::runLongStep(platform::WorkStep::LoadPicture,
                [&] { return platform::loadBmp24Picture(session.OutputTempPath()); });
            qpxclient::SaveQPX(inputs.qpx, picture, destination);
        } else if (format != formats::Format::Bitmap) {
            // One step: the bitmap read a band at a time and written in the format.
            const LongWork work(inputs.longWork, 1);
            platform::runLongStep(platform::WorkStep::SavePicture, [&] {
                formats::writeBitmapAs(session.OutputTempPath(), destination, format, session.SourceMetadata(),
                    {inputs.jpegQuality});
            });
        } else if (!isOutputItself)
            copyFileReplacing(session.OutputTempPath(), destination);
    } catch (const platform::RuntimeError& e) {
        // The output stays, still matching the source and filter, so the next Create retries
        // without rendering.
        const QString kept = qpx ? QString() : QStringLiteral("%1 は変更されていません。")
                                             .arg(platform::shownPath(destination.mid(destination.lastIndexOf(QLatin1Char('/')) + 1)));
        throw platform::RuntimeError(e.number(), QStringLiteral("画像を作成できませんでした。%1\n\n%2").arg(kept, e.text()));
    }

    const QString written = session.takeOutput();
    if (!isOutputItself)
        ::unlink(platform::toNativePath(written).constData());
    return true;
}

} // namespace workflow
