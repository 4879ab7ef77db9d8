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

StartArguments parseStartArguments(const QStringList& args)
{
    // Qt's own options, which QApplication takes out later; the first group takes a value.
    static const QStringList qtWithValue = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle", "session", "display", "geometry", "title", "name", "style", "stylesheet",
        "qmljsdebugger"};
    static const QStringList qtAlone = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    StartArguments result;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const QString bare = arg.startsWith(QLatin1String("--")) ? arg.mid(2) : arg.mid(1);
        if (!optionsEnd && arg.startsWith(QLatin1Char('-')) && qtWithValue.contains(bare.section(QLatin1Char('='), 0, 0))) {
            if (!bare.contains(QLatin1Char('=')))
                ++i;
        } else if (!optionsEnd && arg.startsWith(QLatin1Char('-')) && qtAlone.contains(bare)) {
        } else if (!optionsEnd && arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && arg == QLatin1String("--help")) {
            result.help = true;
        } else if (!optionsEnd && arg == QLatin1String("--version")) {
            result.version = true;
        } else if (!optionsEnd && arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            result.error = QStringLiteral("知らないオプションです: %1").arg(arg);
            return result;
        } else if (!result.file.isEmpty()) {
            result.error = QStringLiteral("開けるファイルは一つだけです: %1").arg(arg);
            return result;
        } else {
            result.file = arg;
        }
    }
    return result;
}

QString startUsageText()
{
    return QStringLiteral(
        "使い方: velmor [ファイル]\n"
        "Usage:  velmor [FILE]\n"
        "\n"
        "画像にカラーフィルタをかけるウィンドウを開きます。ファイルを指定すると、\n"
        "「参照(B)...」で選んだときと同じように開きます。\n"
        "Opens the window; a FILE given opens as if chosen with Browse.\n"
        "\n"
        "  --help     この説明 / this help\n"
        "  --version  版 / version\n");
}

} // namespace shell
