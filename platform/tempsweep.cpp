#include "platform/tempsweep.h"

#include "platform/errors.h"
#include "platform/tempfolder.h"

#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace platform {
namespace {

// "QPXOPEN_1234.56789_a1B2c3": prefix, pid, start time.
const QRegularExpression kOwnedFolder(QStringLiteral("^(QPXOPEN|QPXSAVE)_([0-9]{1,10})\\.([0-9]{1,20})_.+$"));
// The folders of earlier versions, which carry no owner.
const QRegularExpression kOwnerlessFolder(QStringLiteral("^(QPXOPEN|QPXSAVE)_[^.]+$"));
// The window's bitmaps, "Velmor<14-digit stamp>_NNN.bmp" and "VelmorPrev<stamp>_NNN.bmp". Other
// files may be the user's own.
const QRegularExpression kOwnerlessFile(QStringLiteral("^Velmor(Prev)?[0-9]{14}_[0-9]{3}\\.bmp$"));

bool untouchedFor(const stdfs::path& path, std::chrono::seconds age)
{
    std::error_code ec;
    const auto written = stdfs::last_write_time(path, ec);
    return !ec && stdfs::file_time_type::clock::now() - written > age;
}

bool removeEntry(const stdfs::path& path)
{
    std::error_code ec;
    return stdfs::remove_all(path, ec) != static_cast<std::uintmax_t>(-1) && !ec; // links are not followed
}


// The "<pid>.<starttime>" a work folder's name records.
std::string ownerStamp(const QRegularExpressionMatch& owned)
{
    return (owned.captured(2) + QLatin1Char('.') + owned.captured(3)).toStdString();
}

} // namespace

std::string processStamp(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    // The command name may hold spaces and parentheses: the fields start after the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    std::size_t at = close + 1;
    for (int field = 3; field < 22; ++field) { // start time is field 22
        at = stat.find(' ', at + 1);
        if (at == std::string::npos)
            return {};
    }
    const auto end = stat.find(' ', at + 1);
    const std::string start = stat.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    if (start.empty() || start.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return std::to_string(pid) + "." + start;
}

InstanceLock::InstanceLock(const QString& folder) : folder_(folder)
{
    if (!folder_.endsWith(QLatin1Char('/')))
        folder_ += QLatin1Char('/');
    // The lock is on the folder itself, so that it adds nothing to it.
    const QByteArray path = QFile::encodeName(folder_);
    fd_ = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0)
        throw fileError(errno, folder_);
    alone_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    // Others hold it shared, or one is sweeping for a moment; one stopped in its sweep must not
    // stop us too, so the wait is short (without the lock we only sweep less).
    for (int i = 0; !alone_ && i < 200 && ::flock(fd_, LOCK_SH | LOCK_NB) != 0; ++i)
        ::usleep(10000);
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

int InstanceLock::sweep()
{
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : stdfs::directory_iterator(QFile::encodeName(folder_).toStdString(), ec)) {
        const QString name = QFile::decodeName(entry.path().filename().string().c_str());
        const bool folder = entry.is_directory(ec) && !entry.is_symlink(ec);
        bool stale = false;
        if (folder) {
            if (const auto owned = kOwnedFolder.match(name); owned.hasMatch()) {
                const pid_t pid = static_cast<pid_t>(owned.captured(2).toLongLong());
                stale = processStamp(pid) != ownerStamp(owned);
            } else {
                // Earlier versions took no lock: one of them may be opening a file right now.
                stale = alone_ && kOwnerlessFolder.match(name).hasMatch() && untouchedFor(entry.path(), std::chrono::hours(1));
            }
        } else if (alone_ && entry.is_regular_file(ec) && !entry.is_symlink(ec)) {
            stale = kOwnerlessFile.match(name).hasMatch();
        }
        if (stale && removeEntry(entry.path()))
            ++removed;
    }
    if (alone_) {
        (void)::flock(fd_, LOCK_SH); // from now on one instance among others
        alone_ = false;
    }
    return removed;
}

void joinInstances(const QString& folder) noexcept
{
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<InstanceLock>> locks; // held until the process ends
    const std::lock_guard guard(mutex);
    if (locks.count(folder))
        return;
    try {
        auto lock = std::make_unique<InstanceLock>(folder);
        lock->sweep();
        locks.emplace(folder, std::move(lock));
    } catch (const std::exception&) {
        // without its lock the folder still serves; its leftovers wait for another start
    }
}

void sweepTempFolderAtStartUp()
{
    try {
        privateTempFolder(); // joins the instances, sweeping on the way
    } catch (const RuntimeError&) {
        // the window and the control report an unusable folder when they need it
    }
}

void removeOwnWorkFolders()
{
    const std::string stamp = processStamp(::getpid());
    if (stamp.empty())
        return;
    QString folder;
    try {
        folder = privateTempFolder();
    } catch (const RuntimeError&) {
        return;
    }
    std::error_code ec;
    for (const auto& entry : stdfs::directory_iterator(QFile::encodeName(folder).toStdString(), ec)) {
        const auto owned = kOwnedFolder.match(QFile::decodeName(entry.path().filename().string().c_str()));
        if (owned.hasMatch() && ownerStamp(owned) == stamp
            && entry.is_directory(ec) && !entry.is_symlink(ec))
            removeEntry(entry.path());
    }
}

} // namespace platform
