#include "platform/component/regcommand.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform::component {

QString registrationCommand(const QString& moduleFileName)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString tool = folder + QStringLiteral("/regsvr");
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("velmor-regsvr"));
    const bool installed = !onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == QFileInfo(tool).canonicalFilePath();
    return QStringLiteral("%1 %2/%3").arg(installed ? QStringLiteral("velmor-regsvr") : tool, folder, moduleFileName);
}

} // namespace platform::component
