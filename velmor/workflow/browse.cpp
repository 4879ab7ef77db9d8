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
namespace {

struct OpenedSource {
    QImage picture;
    QString tempPath;
    engine::SourcePixels pixels;
};

// Loads the picture, writes it as the temporary source bitmap and reads that into a grid, which
// deletes the file again.
OpenedSource openSource(Window& window, const QString& path)
{
    OpenedSource source;
    try {
        if (qpxclient::isQpxPath(path)) {
            // Two steps in the control: the archive unpacked, its bitmap read.
            const LongWork work(window, 2);
            source.picture = qpxclient::OpenQPX(window.qpxControl(), path);
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
        platform::TempFile temp(window.form().TempFolder, QStringLiteral("Velmor"));
        source.tempPath = temp.path();
        try {
            platform::writeBmp24(source.picture, temp.fd(), temp.path());
            temp.close();
        } catch (...) {
            temp.remove();
            throw;
        }
        try {
            source.pixels = engine::LoadSourcePixels(source.tempPath, width, height);
        } catch (...) {
            if (!QFile::remove(source.tempPath) && QFile::exists(source.tempPath))
                window.form().SourceTempPath = source.tempPath;
            throw;
        }
    } catch (const platform::RuntimeError& e) {
        throw platform::RuntimeError(e.number(),
            QStringLiteral("画像を一時ファイルに書き出せなかったため、開けませんでした。\n\n%1").arg(e.text()));
    }
    return source;
}

} // namespace

void cmdBrws_Click(Window& window)
{
    const auto path = window.fileDialog().ShowOpen({QStringLiteral("元画像の読込"),
        QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|QPXﾌｧｲﾙ(*.qpx)|*.qpx|Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg|GIFﾌｧｲﾙ(*.gif)|*.gif|すべてのﾌｧｲﾙ(*.*)|*.*"),
        {}, dialogs::cdlOFNHideReadOnly | dialogs::cdlOFNFileMustExist | dialogs::cdlOFNExplorer | dialogs::cdlOFNLongNames});
    if (!path)
        return;
    openPicture(window, *path);
}

void openPicture(Window& window, const QString& path)
{
    OpenedSource source;
    try {
        source = openSource(window, path);
    } catch (const platform::RuntimeError& e) {
        window.showMessage(e.text());
        return;
    }

    window.setFileText(path);
    const std::optional<SourceFile> file = identifySourceFile(path);
    window.setSourcePicture(source.picture);
    window.setPreviewPicture(QImage());
    window.session().sourceOpened(std::move(source.pixels), file);
    window.enablePreviewAndCreate();
    window.rememberFolderOf(path);
}

} // namespace workflow
