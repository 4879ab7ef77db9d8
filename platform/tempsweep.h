#pragma once
// What killed instances leave in the private temporary folder is removed by the next one to start.
//
// Work folders carry their owner in their name, "<PREFIX>_<pid>.<starttime>_<XXXXXX>" (starttime
// from /proc/<pid>/stat), and go as soon as that process no longer runs. The window's bitmaps carry
// no owner; every running instance holds a shared lock (flock) on the folder for its whole life,
// and only an instance that finds nobody else holding it removes them, with the ownerless work
// folders of earlier versions once untouched for an hour. Any other file may be the user's.

#include <QString>
#include <string>
#include <sys/types.h>

namespace platform {

// "<pid>.<starttime>" of a running process, empty when pid does not run.
std::string processStamp(pid_t pid);

// Holds the shared instance lock of a folder for as long as it lives.
class InstanceLock {
public:
    // alone: true when no other instance held the lock, found with the lock taken exclusively and
    // kept that way until sweep() has run. Otherwise waits for the shared lock as long as an
    // instance sweeps (saying why on stderr after 2 s): without it, the next instance to start would
    // think itself alone and remove this one's files.
    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool alone() const { return alone_; }
    // Removes what stale owners left, and the ownerless files too when alone; then holds the
    // lock shared like every other instance. The exclusive hold only lists the folder and moves
    // the ownerless entries aside; removing them waits until the lock is shared. Returns how many
    // entries went.
    int sweep();

private:
    QString folder_;
    int fd_ = -1;
    bool alone_ = false;
};

// Makes this process one of the folder's instances for the rest of its life, sweeping the folder
// the first time; once per folder. privateTempFolder() calls it, so every process that uses the
// folder (a host of the QPX control too) counts as running.
void joinInstances(const QString& folder) noexcept;

// At the start of a program: joins the instances of the private temporary folder, so that it is
// swept at once. A folder that cannot be used is left to the code that needs it.
void sweepTempFolderAtStartUp();

// Removes this process's own work folders, for a run cut short that cannot wait for them.
void removeOwnWorkFolders();

} // namespace platform
