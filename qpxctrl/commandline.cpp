#include "qpxctrl/commandline.h"

#include "platform/component/control.h"

namespace qpx {

QString CommandLinePath(const QString& path)
{
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.isNull())
            throw platform::component::automationError(platform::kInvalidArgument,
                QStringLiteral("(ファイル名 %1 には使えない文字 (\" や改行) が含まれています)").arg(path));
    }
    if (path.contains(QLatin1Char(' ')) || path.contains(QLatin1Char('\t')))
        return QLatin1Char('"') + path + QLatin1Char('"');
    return path;
}

QString SaveCommandLine(const QString& archivePath, const QString& workBitmapPath)
{
    return QStringLiteral("a ") + CommandLinePath(archivePath) + QLatin1Char(' ') + CommandLinePath(workBitmapPath)
        + QStringLiteral(" -a1 -n0");
}

QString OpenCommandLine(const QString& archivePath, const QString& folder)
{
    return QStringLiteral("e ") + CommandLinePath(archivePath) + QStringLiteral(" -n0 ") + CommandLinePath(folder);
}

} // namespace qpx
