#include "velmor/shell/openfile.h"

#include "velmor/shell/frmmain.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace shell {
namespace {

// The one local file a drag carries, or nothing.
std::optional<QString> droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    return data->urls().first().toLocalFile();
}

class FileDrops : public QObject {
public:
    FileDrops(frmMain& window, std::shared_ptr<PresetDialogs> dialogs)
        : QObject(&window), window_(window), dialogs_(std::move(dialogs))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &window_)
            return false;
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (window_.cmdBrws->isEnabled() && droppedFile(drag->mimeData()))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::optional<QString> file = droppedFile(drop->mimeData());
            if (!file)
                return false;
            drop->acceptProposedAction();
            // The file manager waits for the drop to end; the picture opens (and any message
            // shows) after it.
            const QString path = *file;
            QTimer::singleShot(0, &window_, [this, path] { openAsBrowse(window_, *dialogs_, path); });
            return true;
        }
        return false;
    }

private:
    frmMain& window_;
    std::shared_ptr<PresetDialogs> dialogs_;
};

} // namespace

std::optional<QString> PresetDialogs::showFile(QWidget* parent, const FileDialogRequest& request)
{
    if (preset_ && !request.save) {
        std::optional<QString> answer;
        answer.swap(preset_);
        return answer;
    }
    return inner_->showFile(parent, request);
}

std::optional<engine::ColorValue> PresetDialogs::showColor(QWidget* parent, const ColorDialogRequest& request)
{
    return inner_->showColor(parent, request);
}

void openAsBrowse(frmMain& window, PresetDialogs& dialogs, const QString& path)
{
    if (!window.cmdBrws->isEnabled())
        return;
    dialogs.preset(QFileInfo(path).absoluteFilePath());
    window.cmdBrws_Click();
    dialogs.clear();
}

void acceptFileDrops(frmMain& window, std::shared_ptr<PresetDialogs> dialogs)
{
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDrops(window, std::move(dialogs)));
}

} // namespace shell
