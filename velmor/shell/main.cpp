// Velmor: lays a colour filter over a picture. The program is its one window.

#include "platform/tempsweep.h"
#include "velmor/shell/frmmain.h"
#include "velmor/shell/japanese.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmor"));
    QApplication::setApplicationName(QStringLiteral("Velmor"));
    shell::installJapaneseTranslations(app);
    QApplication::setFont(shell::japaneseUiFont());
    platform::sweepTempFolderAtStartUp(); // what killed runs left in the temporary folder

    frmMain window;
    if (!window.Form_Load())
        return 1;
    window.show();
    return app.exec();
}
