#include "velmor/shell/openfile.h"

#include "velmor/shell/frmmain.h"

#include "platform/nativepath.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <optional>

namespace shell {
namespace {

// The one local file a drag carries, or nothing. The name comes from the URL's own bytes: Qt's
// toLocalFile() turns each byte that is no UTF-8 into U+FFFD, which names another file.
std::optional<QString> droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    const QByteArray encoded = data->urls().first().path(QUrl::FullyEncoded).toLatin1();
    return platform::fromNativePath(QByteArray::fromPercentEncoding(encoded));
}

class FileDrops : public QObject {
public:
    explicit FileDrops(frmMain& window) : QObject(&window), window_(window) { }

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
            QTimer::singleShot(0, &window_, [this, path] { openAsBrowse(window_, path); });
            return true;
        }
        return false;
    }

private:
    frmMain& window_;
};

} // namespace

void openAsBrowse(frmMain& window, const QString& path)
{
    if (!window.cmdBrws->isEnabled())
        return;
    const QString absolute = platform::absolutePath(path);
    window.cdlFile.FileName = absolute;
    window.openPicture(absolute);
}

void acceptFileDrops(frmMain& window)
{
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDrops(window));
}

} // namespace shell
