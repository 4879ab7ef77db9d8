// The handlers of Browse, Preview and Create: each gathers its inputs from the widgets and the
// dialogs, runs the command and shows the outcome. A failed command shows its message and leaves
// the views as they were.

#include "velmor/shell/frmmain.h"

#include "platform/errors.h"
#include "platform/formats/format.h"
#include "platform/nativepath.h"
#include "velmor/dialogs/picturefilters.h"
#include "velmor/engine/renderfilter.h"

#include <QLineEdit>

void frmMain::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const engine::RenderCancelled&) {
        // The window is closing; nothing more is done on it.
    } catch (const platform::RuntimeError& e) {
        showMessage(e.text());
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("処理を続けられませんでした。\n\n%1").arg(QString::fromLocal8Bit(e.what())));
    }
}

workflow::LongWorkHooks frmMain::longWorkHooks()
{
    return {[this](int steps) { beginLongWork(steps); }, [this] { endLongWork(); }};
}

workflow::RenderOutput frmMain::renderCallback()
{
    return [this](const workflow::RenderJob& job) { return RenderFilter(job); };
}

void frmMain::cmdBrws_Click()
{
    runCommand([this] {
        const auto path = cdlFile.ShowOpen({QStringLiteral("元画像の読込"), dialogs::openPictureFilter(), {},
            dialogs::cdlOFNHideReadOnly | dialogs::cdlOFNFileMustExist | dialogs::cdlOFNExplorer | dialogs::cdlOFNLongNames});
        if (path)
            openPicture(*path);
    });
}

void frmMain::openPicture(const QString& path)
{
    runCommand([&] {
        const QImage picture = workflow::openPicture(session_, path, {tempFolder_, qpxFile.get(), longWorkHooks()});
        // Nothing on the window changes before the whole picture is read.
        txtFile->setText(platform::shownPath(path));
        setSourcePicture(picture);
        setPreviewPicture(QImage());
        updateCommands();
        rememberFolderOf(path);
    });
}

void frmMain::cmdPrev_Click()
{
    runCommand([this] {
        setPreviewPicture(QImage());
        setPreviewPicture(workflow::renderPreview(session_, renderCallback()));
    });
}

void frmMain::cmdMake_Click()
{
    runCommand([this] {
        // The bitmap is the type chosen when the dialog opens, so the proposal ends in its extension.
        const QString defaultExt = QStringLiteral("bmp");
        const auto chosen = cdlFile.ShowSave({QStringLiteral("作成画像の保存"), dialogs::savePictureFilter(), defaultExt,
            dialogs::cdlOFNOverwritePrompt | dialogs::cdlOFNExplorer | dialogs::cdlOFNLongNames,
            dialogs::proposedName(session_.SourcePath(), selectedFilterCaption(), defaultExt)});
        if (!chosen)
            return;
        const int quality = formats::jpegQualityFromSetting(settings_.GetSetting(QStringLiteral("Setting"),
            QStringLiteral("JpegQuality"), QString::number(formats::kDefaultJpegQuality)));
        workflow::createPicture(session_, *chosen,
            {renderCallback(), &shell::askReplaceSource, qpxFile.get(), longWorkHooks(), quality});
    });
}
