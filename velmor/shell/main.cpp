// Velmor: lays a colour filter over a picture. The program is its one window.

#include "velmor/shell/frmmain.h"
#include "velmor/shell/japanese.h"
#include "velmor/shell/openfile.h"
#include "velmor_version.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    // The command line is read before QApplication, so that --help, --version and usage errors
    // need no display.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const shell::StartArguments start = shell::parseStartArguments(raw);
    if (!start.error.isEmpty()) {
        std::fprintf(stderr, "velmor: %s (詳しくは --help)\n", start.error.toLocal8Bit().constData());
        return 2;
    }
    if (start.help || start.version) {
        if (start.help)
            std::fputs(shell::startUsageText().toLocal8Bit().constData(), stdout);
        else
            std::printf("velmor %d.%d.%d\n", VELMOR_VERSION_MAJOR, VELMOR_VERSION_MINOR, VELMOR_VERSION_REVISION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmor"));
    QApplication::setApplicationName(QStringLiteral("Velmor"));
    shell::installJapaneseTranslations(app);
    QApplication::setFont(shell::japaneseUiFont());

    shell::Services services;
    auto dialogs = std::make_shared<shell::PresetDialogs>(shell::qtDialogBackend());
    services.dialogs = dialogs;
    frmMain window(services);
    if (!window.Form_Load())
        return 1;
    shell::acceptFileDrops(window, dialogs);
    window.show();
    if (!start.file.isEmpty())
        QTimer::singleShot(0, &window, [&] { shell::openAsBrowse(window, *dialogs, start.file); });
    return app.exec();
}
