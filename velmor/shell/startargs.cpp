#include "velmor/shell/startargs.h"

#include "platform/nativepath.h"
#include "velmor_version.h"

#include <cstdio>

namespace shell {

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

int answerStartArguments(int argc, char** argv, QString* file)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << platform::fromNativePath(argv[i]); // a file name keeps its bytes
    const StartArguments start = parseStartArguments(args);
    if (!start.error.isEmpty()) {
        std::fprintf(stderr, "velmor: %s (詳しくは --help)\n", platform::shownPath(start.error).toUtf8().constData());
        return 2;
    }
    if (start.help) {
        std::fputs(startUsageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (start.version) {
        std::printf("velmor %d.%d.%d\n", VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION);
        return 0;
    }
    *file = start.file;
    return -1;
}

} // namespace shell
