#include "platform/trust.h"

#include "platform/errors.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

bool ownedByUs(const struct stat& st)
{
    return st.st_uid == 0 || st.st_uid == ::geteuid();
}

QString ownerName(uid_t uid)
{
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QStringLiteral("%1 (uid %2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
    return QStringLiteral("uid %1").arg(uid);
}

// What is wrong with one entry of the path, or nothing.
QString entryProblem(const QString& shown, const struct stat& st, bool folder)
{
    const QString kind = folder ? QStringLiteral("フォルダ %1").arg(shown) : shown;
    if (!ownedByUs(st))
        return QStringLiteral("%1 は root でもこのユーザーでもない %2 のものです").arg(kind, ownerName(st.st_uid));
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return {};
    // In a sticky folder only an entry's owner may replace it, and every entry below is ours.
    if (folder && (st.st_mode & S_ISVTX))
        return {};
    return QStringLiteral("%1 は他のユーザーも書き換えられます (%2)").arg(kind).arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
}

} // namespace

TrustVerdict checkTrustedFile(const QString& path)
{
    TrustVerdict v;
    const QByteArray native = toNativePath(path);
    char* real = ::realpath(native.constData(), nullptr);
    if (!real) {
        const int err = errno;
        v.missing = err == ENOENT || err == ENOTDIR;
        v.reason = QStringLiteral("%1 を確かめられません: %2").arg(shownPath(path), errnoReason(err));
        return v;
    }
    QByteArray resolved(real);
    std::free(real);
    v.resolved = fromNativePath(resolved);

    struct stat st {};
    if (::lstat(resolved.constData(), &st) != 0) {
        v.reason = QStringLiteral("%1 を確かめられません: %2").arg(shownPath(v.resolved), errnoReason(errno));
        return v;
    }
    if (!S_ISREG(st.st_mode)) {
        v.reason = QStringLiteral("%1 は通常のファイルではありません").arg(shownPath(v.resolved));
        return v;
    }
    if (QString problem = entryProblem(shownPath(v.resolved), st, false); !problem.isEmpty()) {
        v.reason = problem;
        return v;
    }
    // Every folder up to the root: any of them replaced replaces the file.
    QByteArray folder = resolved;
    while (folder != "/") {
        const qsizetype slash = folder.lastIndexOf('/');
        folder.truncate(slash <= 0 ? 1 : slash);
        if (::lstat(folder.constData(), &st) != 0) {
            v.reason = QStringLiteral("フォルダ %1 を確かめられません: %2").arg(shownPath(fromNativePath(folder)), errnoReason(errno));
            return v;
        }
        if (QString problem = entryProblem(shownPath(fromNativePath(folder)), st, true); !problem.isEmpty()) {
            v.reason = problem;
            return v;
        }
    }
    v.trusted = true;
    return v;
}

QString untrustedMessage(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1 %2 は安全でないため使いません: %3。").arg(what, shownPath(path), reason);
}

} // namespace platform
