#include "qpxctrl/commandline.h"

#include "platform/component/control.h"
#include "platform/nativepath.h"

namespace qpx {

QString CommandLinePath(const QString& path)
{
    for (const QChar c : path) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.isNull())
            throw platform::component::automationError(platform::kInvalidArgument,
                QStringLiteral("(ファイル名 %1 には使えない文字 (改行) が含まれています)").arg(platform::shownPath(path)));
    }
    if (path.contains(QLatin1Char(' ')) || path.contains(QLatin1Char('\t')) || path.contains(QLatin1Char('"'))
        || path.startsWith(QLatin1Char('-'))) {
        QString quoted = path;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\"")); // two quotes inside quotes are one
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }
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
