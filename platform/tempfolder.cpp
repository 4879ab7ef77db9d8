#include "platform/tempfolder.h"

#include "platform/errors.h"
#include "platform/tempsweep.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString privateTempFolder()
{
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = "/tmp";
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    const QByteArray folder = base + "/velmor-" + QByteArray::number(static_cast<qulonglong>(::getuid()));
    const QString shown = QFile::decodeName(folder);

    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        throw RuntimeError(kPathNotFound,
            QStringLiteral("一時フォルダ %1 を作成できません: %2").arg(shown, errnoReason(errno)));

    struct stat st {};
    if (::lstat(folder.constData(), &st) != 0)
        throw RuntimeError(kPathNotFound,
            QStringLiteral("一時フォルダ %1 を確認できません: %2").arg(shown, errnoReason(errno)));
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("一時フォルダ %1 はフォルダではありません (リンクは使いません)。").arg(shown));
    if (st.st_uid != ::getuid())
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("一時フォルダ %1 は他のユーザーのものです。").arg(shown));
    if ((st.st_mode & 077) != 0)
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("一時フォルダ %1 は他のユーザーからも読み書きできます (0700 にしてください)。").arg(shown));
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        throw RuntimeError(kPermissionDenied,
            QStringLiteral("一時フォルダ %1 に書き込めません: %2").arg(shown, errnoReason(errno)));
    joinInstances(shown + QLatin1Char('/'));
    return shown + QLatin1Char('/');
}

} // namespace platform
