#include "qpxctrl/workfiles.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/tempsweep.h"

#include <QStringList>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace qpx {
namespace {

std::string native(const QString& path)
{
    return platform::nativePathString(path);
}

// The names of the folder's ordinary files, each kept to its bytes.
QStringList ordinaryFiles(const QString& folder)
{
    QStringList files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(native(folder), ec)) {
        const QString name = platform::fromNativePath(QByteArray::fromStdString(entry.path().filename().string()));
        if (platform::fs::isOrdinaryFile(native(folder + name)))
            files << name;
    }
    return files;
}

} // namespace

QString workFolderPrefix(WorkFolder::Purpose purpose)
{
    // The start-up sweep reads the owner back with the same parser: a folder it cannot match is stale.
    static const QString process = [] {
        const std::string stamp = platform::processStamp(::getpid());
        return stamp.empty() ? QStringLiteral("%1.0").arg(::getpid()) : QString::fromStdString(stamp);
    }();
    return (purpose == WorkFolder::Purpose::Save ? QStringLiteral("QPXSAVE_") : QStringLiteral("QPXOPEN_")) + process
           + QLatin1Char('_');
}

WorkFolder::WorkFolder(const QString& tempFolder, Purpose purpose)
{
    QByteArray templ = platform::toNativePath(tempFolder + workFolderPrefix(purpose)) + "XXXXXX";
    if (!::mkdtemp(templ.data()))
        throw platform::fileError(errno, platform::shownPath(tempFolder));
    // Held until the folder goes: a call that fails because the process ran out of descriptors
    // must still be able to empty it.
    fd_ = ::open(templ.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        ::rmdir(templ.constData());
        throw platform::fileError(err, platform::shownPath(tempFolder));
    }
    path_ = platform::fromNativePath(templ) + QLatin1Char('/');
}

WorkFolder::~WorkFolder()
{
    // Nothing here is anyone's data. The files go through the descriptor already held (reading a
    // folder needs no new one); whatever is left, a folder from an archive say, goes after.
    if (DIR* dir = ::fdopendir(fd_)) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    } else {
        ::close(fd_);
    }
    if (::rmdir(native(path_).c_str()) != 0) {
        std::error_code ignored; // a leftover only wastes space
        std::filesystem::remove_all(native(path_), ignored);
    }
}

QString WorkFolder::find(const QString& name) const
{
    if (platform::fs::isOrdinaryFile(native(path_ + name)))
        return path_ + name;
    QString found;
    for (const QString& entry : ordinaryFiles(path_)) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!found.isEmpty())
            return {};
        found = path_ + entry;
    }
    return found;
}

QString WorkFolder::onlyFile() const
{
    const QStringList files = ordinaryFiles(path_);
    return files.size() == 1 ? path_ + files.front() : QString();
}

} // namespace qpx
