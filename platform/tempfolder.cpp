#include "platform/tempfolder.h"

#include "platform/errors.h"
#include "platform/nativepath.h"
#include "platform/tempsweep.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// Empty when the folder is our own private folder (made when missing and create is set), else why not.
QString ownPrivateFolderProblem(const QByteArray& folder, bool create = true)
{
    const QString shown = shownPath(fromNativePath(folder));
    if (create && ::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("一時フォルダ %1 を作成できません: %2").arg(shown, errnoReason(errno));
    struct stat st {};
    if (::lstat(folder.constData(), &st) != 0)
        return QStringLiteral("一時フォルダ %1 を確認できません: %2").arg(shown, errnoReason(errno));
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        return QStringLiteral("一時フォルダ %1 はフォルダではありません (リンクは使いません)").arg(shown);
    if (st.st_uid != ::getuid())
        return QStringLiteral("一時フォルダ %1 は他のユーザーのものです").arg(shown);
    if ((st.st_mode & 077) != 0)
        return QStringLiteral("一時フォルダ %1 は他のユーザーからも読み書きできます").arg(shown);
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return QStringLiteral("一時フォルダ %1 に書き込めません: %2").arg(shown, errnoReason(errno));
    return {};
}

// Folders made with mkdtemp for this process alone; removed at exit when they are empty.
struct FreshFolders {
    std::map<QByteArray, QByteArray> byPrimary; // the folder that could not be used -> its stand-in
    ~FreshFolders()
    {
        for (const auto& [primary, fresh] : byPrimary)
            ::rmdir(fresh.constData());
    }
};

std::mutex gMutex;
std::map<QByteArray, QByteArray> gStandIns; // primary -> stand-in, so a process keeps one folder
FreshFolders gFresh;

// A folder that stands in for the primary one, which another account holds (or which is unusable):
// $XDG_RUNTIME_DIR/velmor, private to the user by its very nature, else a fresh folder of this
// process's own beside the primary. Said once on stderr, since files are not where they used to be.
QByteArray standIn(const QByteArray& base, const QByteArray& primary, const QString& problem)
{
    const std::lock_guard lock(gMutex);
    if (const auto known = gStandIns.find(primary); known != gStandIns.end() && ownPrivateFolderProblem(known->second, false).isEmpty())
        return known->second;
    QByteArray chosen;
    const QByteArray runtime = withoutTrailingSlashes(qgetenv("XDG_RUNTIME_DIR"));
    if (runtime.startsWith('/') && ownPrivateFolderProblem(runtime + "/velmor").isEmpty()) {
        chosen = runtime + "/velmor";
    } else {
        QByteArray templ = primary + ".XXXXXX";
        if (!::mkdtemp(templ.data()))
            throw RuntimeError(kPermissionDenied, QStringLiteral("%1。代わりの一時フォルダも %2 に作成できません: %3")
                                                      .arg(problem, shownPath(fromNativePath(base)), errnoReason(errno)));
        chosen = templ;
        gFresh.byPrimary[primary] = chosen;
    }
    gStandIns[primary] = chosen;
    std::fprintf(stderr, "%s: %s。代わりに %s を使います。\n", program_invocation_short_name, problem.toUtf8().constData(),
        shownPath(fromNativePath(chosen)).toUtf8().constData());
    return chosen;
}

} // namespace

QString privateTempFolder()
{
    QByteArray base = withoutTrailingSlashes(qgetenv("TMPDIR"));
    if (base.isEmpty())
        base = "/tmp";
    const QByteArray primary = (base == "/" ? QByteArray() : base) + "/velmor-" + QByteArray::number(static_cast<qulonglong>(::getuid()));
    QByteArray folder = primary;
    if (const QString problem = ownPrivateFolderProblem(primary); !problem.isEmpty())
        folder = standIn(base, primary, problem);
    const QString path = fromNativePath(folder) + QLatin1Char('/');
    joinInstances(path);
    return path;
}

} // namespace platform
