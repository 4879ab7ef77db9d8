// Velmor: lays a colour filter over a picture. The program is its one window.

#include "platform/tempsweep.h"
#include "velmor/shell/frmmain.h"
#include "velmor/dialogs/japanese.h"
#include "velmor/shell/openfile.h"
#include "velmor/shell/startargs.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QString file;
    if (const int answered = shell::answerStartArguments(argc, argv, &file); answered >= 0)
        return answered;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmor"));
    QApplication::setApplicationName(QStringLiteral("Velmor"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.velmor.Velmor")); // the menu entry's icon and name
    dialogs::installJapaneseTranslations(app);
    QApplication::setFont(dialogs::japaneseUiFont());
    platform::sweepTempFolderAtStartUp(); // what killed runs left in the temporary folder

    frmMain window;
    if (!window.Form_Load())
        return 1;
    shell::acceptFileDrops(window); // a file dropped from a file manager opens as Browse opens it
    window.show();
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&] { shell::openAsBrowse(window, file); });
    return app.exec();
}
