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
    if (path.contains(QLatin1Char(' ')) || path.contains(QLatin1Char('\t')) || path.startsWith(QLatin1Char('-')))
        return QLatin1Char('"') + path + QLatin1Char('"');
    return path;
}

QString SaveCommandLine(const QString& archivePath, const QString& workBitmapPath)
{
    return QStringLiteral("a ") + CommandLinePath(archivePath) + QLatin1Char(' ') + CommandLinePath(workBitmapPath)
        + QStringLiteral(" -a1 -n0");
}

QString ListCommandLine(const QString& archivePath)
{
    return QStringLiteral("l ") + CommandLinePath(archivePath);
}

QString OpenCommandLine(const QString& archivePath, const QString& folder, const QString& member)
{
    QString line = QStringLiteral("e ") + CommandLinePath(archivePath) + QStringLiteral(" -n0 ") + CommandLinePath(folder);
    if (!member.isEmpty())
        line += QLatin1Char(' ') + CommandLinePath(member);
    return line;
}

} // namespace qpx
