#include "qpxctrl/workfiles.h"

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace qpx {
namespace {

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// rename() that never replaces: a file already under the new name is someone's data.
int renameNoReplace(const QString& from, const QString& to) noexcept
{
    const std::string f = native(from);
    const std::string t = native(to);
    if (::renameat2(AT_FDCWD, f.c_str(), AT_FDCWD, t.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without the flag: a hard link fails on an existing name in the same way.
    if (::link(f.c_str(), t.c_str()) != 0)
        return errno;
    ::unlink(f.c_str());
    return 0;
}

} // namespace

MovedAside::MovedAside(QString workBitmapPath) : work_(std::move(workBitmapPath))
{
    if (!platform::fs::isOrdinaryFile(native(work_)))
        return;
    const QString backup = work_ + QStringLiteral("_QPXTEMP") + platform::stamp12() + QStringLiteral(".bak");
    if (const int err = renameNoReplace(work_, backup))
        throw platform::RuntimeError(platform::kFileAccessError,
            QStringLiteral("一時フォルダのファイル %1 を %2 に退避できません: %3")
                .arg(work_, backup, platform::errnoReason(err)));
    backup_ = backup;
}

MovedAside::~MovedAside()
{
    if (!done_)
        restore();
}

int MovedAside::restore() noexcept
{
    done_ = true;
    if (backup_.isEmpty()) {
        if (wrote_ && ::unlink(native(work_).c_str()) != 0 && errno != ENOENT)
            return errno;
        return 0;
    }
    // Our own work bitmap may simply be replaced; anything else at that name is left alone.
    if (wrote_) {
        if (::rename(native(backup_).c_str(), native(work_).c_str()) != 0)
            return errno;
        return 0;
    }
    return renameNoReplace(backup_, work_);
}

void MovedAside::finish()
{
    if (const int err = restore()) {
        if (backup_.isEmpty())
            throw platform::fileError(err, work_);
        throw platform::RuntimeError(platform::kFileAccessError,
            QStringLiteral("退避したファイル %1 を %2 に戻せません: %3")
                .arg(backup_, work_, platform::errnoReason(err)));
    }
}

ExtractionFolder::ExtractionFolder(const QString& tempFolder)
{
    QByteArray templ = QFile::encodeName(tempFolder) + "QPXOPEN_XXXXXX";
    if (!::mkdtemp(templ.data()))
        throw platform::fileError(errno, tempFolder);
    path_ = QFile::decodeName(templ) + QLatin1Char('/');
}

ExtractionFolder::~ExtractionFolder()
{
    std::error_code ignored; // nothing here is anyone's data; a leftover only wastes space
    std::filesystem::remove_all(native(path_), ignored);
}

QString ExtractionFolder::find(const QString& name) const
{
    if (platform::fs::isOrdinaryFile(native(path_ + name)))
        return path_ + name;
    QString found;
    const QStringList entries = QDir(path_).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0 || !platform::fs::isOrdinaryFile(native(path_ + entry)))
            continue;
        if (!found.isEmpty())
            return {};
        found = path_ + entry;
    }
    return found;
}

} // namespace qpx
