#include "qpxctrl/basename.h"

#include "platform/component/control.h"
#include "platform/nativepath.h"
#include "platform/qpx/qpxname.h"

namespace qpx {
namespace {

QString withoutTrailingSpaces(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

} // namespace

QString PathToBaseName(const QString& path)
{
    // 1-based positions, 0 when there is none; the last '.' is searched over the whole path.
    const qsizetype p = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype q = path.lastIndexOf(QLatin1Char('.')) + 1;
    const qsizetype length = q - p - 1;
    if (length < 0)
        throw platform::component::automationError(platform::kInvalidArgument,
            QStringLiteral("(ファイル名 %1 に拡張子がありません)").arg(platform::shownPath(path)));
    return path.mid(p, length);
}

QString WorkBitmapPath(const QString& tempFolder, const QString& strName)
{
    return tempFolder + PathToBaseName(strName) + QStringLiteral(".bmp");
}

bool HasQpxExtension(const QString& strName)
{
    return isQpxName(withoutTrailingSpaces(strName));
}

QString ArchivePath(const QString& strName)
{
    const QString name = withoutTrailingSpaces(strName);
    if (name.startsWith(QLatin1Char('-')))
        return QStringLiteral("./") + name;
    return name;
}

} // namespace qpx
