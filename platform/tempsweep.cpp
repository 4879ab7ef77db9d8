#include "platform/tempsweep.h"

#include "platform/errors.h"
#include "platform/nativepath.h"
#include "platform/tempfolder.h"

#include <QRegularExpression>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace stdfs = std::filesystem;

namespace platform {
namespace {

// "QPXOPEN_1234.56789_a1B2c3": prefix, pid, start time. SWEEP_ folders hold what a sweep removes.
const QRegularExpression kOwnedFolder(QStringLiteral("^(QPXOPEN|QPXSAVE|SWEEP)_([0-9]{1,10})\\.([0-9]{1,20})_.+$"));
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
    const QByteArray path = toNativePath(folder_);
    fd_ = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0)
        throw fileError(errno, shownPath(folder_));
    alone_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    if (alone_)
        return;
    // Others hold it shared, or one is sweeping for a moment. Running on without the lock would
    // let the next instance think itself alone and remove our files, so we wait, and say why.
    for (int i = 0; i < 200; ++i) {
        if (::flock(fd_, LOCK_SH | LOCK_NB) == 0)
            return;
        ::usleep(10000);
    }
    std::fprintf(stderr, "%s: 一時フォルダ %s を別のべるもあが整理し終えるのを待っています (止められたままなら、"
                         "そのべるもあを再開するか終了してください)。\n",
        program_invocation_short_name, shownPath(folder_).toUtf8().constData());
    while (::flock(fd_, LOCK_SH) != 0 && errno == EINTR) {
    }
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

int InstanceLock::sweep()
{
    const std::string folder = nativePathString(folder_);
    std::vector<std::pair<stdfs::path, QRegularExpressionMatch>> owned;
    std::vector<stdfs::path> ownerless;
    std::error_code ec;
    for (const auto& entry : stdfs::directory_iterator(folder, ec)) {
        const QString name = fromNativePath(QByteArray::fromStdString(entry.path().filename().string()));
        const bool isFolder = entry.is_directory(ec) && !entry.is_symlink(ec);
        if (isFolder) {
            if (auto match = kOwnedFolder.match(name); match.hasMatch()) {
                owned.emplace_back(entry.path(), std::move(match));
            } else if (alone_ && kOwnerlessFolder.match(name).hasMatch() && untouchedFor(entry.path(), std::chrono::hours(1))) {
                // Earlier versions took no lock: one of them may be opening a file right now.
                ownerless.push_back(entry.path());
            }
        } else if (alone_ && entry.is_regular_file(ec) && !entry.is_symlink(ec) && kOwnerlessFile.match(name).hasMatch()) {
            ownerless.push_back(entry.path());
        }
    }
    int removed = 0;
    if (alone_) {
        // Others wait for their shared lock while we hold it alone, so only renames happen now: what
        // carries no owner moves into a folder of ours (which a later sweep removes should we die),
        // and goes once the lock is shared.
        const std::string stamp = processStamp(::getpid());
        std::string trash = folder + "SWEEP_" + (stamp.empty() ? std::to_string(::getpid()) + ".0" : stamp) + "_XXXXXX";
        const bool moving = !stamp.empty() && ::mkdtemp(trash.data()) != nullptr;
        for (const stdfs::path& path : ownerless) {
            if (!moving)
                removed += removeEntry(path) ? 1 : 0;
            else if (::rename(path.c_str(), (trash + "/" + path.filename().string()).c_str()) == 0)
                ++removed;
        }
        (void)::flock(fd_, LOCK_SH); // from now on one instance among others
        alone_ = false;
        if (moving)
            removeEntry(trash);
    }
    // A work folder goes once its process no longer runs, whoever else runs.
    for (const auto& [path, match] : owned) {
        const pid_t pid = static_cast<pid_t>(match.captured(2).toLongLong());
        if (processStamp(pid) != ownerStamp(match) && removeEntry(path) && match.captured(1) != QLatin1String("SWEEP"))
            ++removed;
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
    for (const auto& entry : stdfs::directory_iterator(nativePathString(folder), ec)) {
        const auto owned = kOwnedFolder.match(fromNativePath(QByteArray::fromStdString(entry.path().filename().string())));
        if (owned.hasMatch() && ownerStamp(owned) == stamp
            && entry.is_directory(ec) && !entry.is_symlink(ec))
            removeEntry(entry.path());
    }
}

} // namespace platform
