// The handlers of Browse, Preview and Create: each gathers its inputs from the widgets and the
// dialogs, runs the command and shows the outcome. A failed or stopped command shows the views as
// they were; only a failure has a message.

#include "velmor/shell/frmmain.h"

#include "platform/errors.h"
#include "platform/formats/format.h"
#include "platform/longwork.h"
#include "platform/nativepath.h"
#include "velmor/dialogs/picturefilters.h"
#include "velmor/engine/renderfilter.h"
#include "velmor/shell/accessiblenames.h"

#include <QFileInfo>
#include <QLineEdit>
#include <utility>

void frmMain::runCommand(const std::function<void()>& command)
{
    stopRequested_ = false;
    try {
        command();
    } catch (const engine::RenderCancelled&) {
        // Stopped by Escape, or the window is closing: nothing more is done.
    } catch (const platform::WorkStopped&) {
        // Stopped by Escape: everything stays as it was before the command.
    } catch (const platform::RuntimeError& e) {
        if (!stopRequested_) // a step that failed because it was stopped is no failure
            showMessage(e.text());
    } catch (const std::exception& e) {
        showMessage(QStringLiteral("処理を続けられませんでした。\n\n%1").arg(QString::fromLocal8Bit(e.what())));
    }
    stopRequested_ = false;
}

workflow::LongWorkHooks frmMain::longWorkHooks(shell::MoxelBar* bar)
{
    return {[this, bar](int steps) { beginLongWork(bar, steps); }, [this] { endLongWork(); }};
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
    // Until the whole picture is in, what the views showed comes back on any way out.
    const views::PictureViews::State before = views_->state();
    const QSize viewBefore = ruleViewSize_;
    bool opened = false;
    runCommand([&] {
        QImage first;
        workflow::OpenInputs inputs{tempFolder_, qpxFile.get(), longWorkHooks(mxbSrc), {}, {}};
        // A first view with the detail of the views in a window as large as the screen (each
        // about half of it): kept beside the grid, it serves again whenever the views show the
        // whole picture, so that they need not go over every pixel of a large photo.
        const QSizeF room = QSizeF(availableArea().size()) * devicePixelRatioF() / 2;
        inputs.firstViewAtLeast = room.toSize();
        inputs.firstView = [&](const QImage& reduced, QSize size) {
            first = reduced;
            views_->showRendered(QImage());
            showPicture(views::PicturePixels::ofFirstView(reduced, size), false);
        };
        workflow::openPicture(session_, path, inputs);
        // Nothing on the window but the views' first look changes before the whole picture is in.
        txtFile->setText(platform::shownPath(path));
        showPicture(views::PicturePixels::ofGrid(session_.renderJob().pixels, first), !first.isNull());
        refreshPreview();
        showWhatIsOpen(path);
        updateCommands();
        rememberFolderOf(path);
        opened = true;
    });
    if (opened)
        return;
    views_->restore(before);
    if (std::exchange(ruleViewSize_, viewBefore) != viewBefore && hasRuleSize())
        picSrc->setSizePixels(viewBefore); // the window goes back to the rule's size for it
}

void frmMain::cmdPrev_Click()
{
    runCommand([this] {
        const QImage output = workflow::renderPreview(session_, renderCallback());
        renderedFor_ = session_.renderJob();
        views_->showRendered(output);
        refreshPreview();
    });
    refreshPreview(); // a failed preview leaves the live preview
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
            {renderCallback(), &shell::askReplaceSource, qpxFile.get(), longWorkHooks(mxbPrv), quality});
    });
}

void frmMain::refreshPreview()
{
    views_->setFilter(session_.FilterColor());
    const workflow::RenderJob now = session_.renderJob();
    const bool current = renderedFor_.pixels == now.pixels && renderedFor_.filterColor == now.filterColor;
    if (!current && !views_->rendered().isNull())
        views_->showRendered(QImage()); // never another filter than the one chosen
    picPrev->setAccessibleName(shell::previewViewName(selectedFilterCaption(), !views_->rendered().isNull()));
}

void frmMain::showWhatIsOpen(const QString& path)
{
    const QString name = platform::shownPath(QFileInfo(path).fileName()); // bytes no UTF-8 as \xHH
    const QSize size = views_->source().size();
    setWindowTitle(QStringLiteral("%1 (%2 × %3) - べるもあ").arg(name).arg(size.width()).arg(size.height()));
    picSrc->setAccessibleName(shell::sourceViewName(name, size));
}

bool frmMain::zoomKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ControlModifier) || (modifiers & Qt::AltModifier))
        return false;
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on many keyboards
        views_->zoomIn();
        return true;
    case Qt::Key_Minus:
        views_->zoomOut();
        return true;
    case Qt::Key_0:
        views_->fit();
        return true;
    case Qt::Key_1:
        views_->actualSize();
        return true;
    default:
        return false;
    }
}
