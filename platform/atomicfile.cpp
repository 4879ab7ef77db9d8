// AtomicFile: a file that takes its target's place only when complete.

#include "platform/fs.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace platform::fs {
namespace {

std::atomic<bool> gNamedOnly{false};

// Named temporary files being written, for a process that must end at once.
std::mutex gLiveMutex;
std::set<std::string> gLive;

void remember(const std::string& path)
{
    const std::lock_guard lock(gLiveMutex);
    gLive.insert(path);
}

void forget(const std::string& path) noexcept
{
    const std::lock_guard lock(gLiveMutex);
    gLive.erase(path);
}

// A named pipe's reader may still be starting (`cat pipe &` beside us); longer than this and
// nobody is coming.
constexpr auto kReaderWait = std::chrono::seconds(2);

[[noreturn]] void fail(int err, const std::string& what)
{
    throw std::system_error(err, std::generic_category(), what);
}

// A fresh hidden name beside the target, cut so that it stays within the 255-byte limit.
std::string hiddenName(const std::string& target)
{
    static thread_local std::mt19937 gen{std::random_device{}()};
    return folderOf(target) + "/." + baseNameOf(target).substr(0, 200) + ".tmp" + std::to_string(gen() % 1000000);
}

// Kernels or file systems without unnamed files say so in one of these ways.
bool lacksUnnamedFiles(int err)
{
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

// Gives an unnamed file the name `name`; fails with EEXIST when the name is taken.
int linkUnnamed(int fd, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// True when path is, or links through, a process's descriptor (/dev/stdout, /dev/fd/3,
// /proc/self/fd/1): a name for a file that is already open, not a place to put a new one.
bool isDescriptorAlias(std::string path)
{
    auto names = [](const std::string& p) {
        return p.rfind("/dev/fd/", 0) == 0 || (p.rfind("/proc/", 0) == 0 && p.find("/fd/") != std::string::npos);
    };
    for (int depth = 0; depth < 8; ++depth) {
        if (names(path))
            return true;
        char link[4096];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
        if (n <= 0)
            return false;
        const std::string next(link, std::size_t(n));
        path = next.front() == '/' ? next : folderOf(path) + "/" + next;
    }
    return false;
}

// Writes to a pipe whose reader has gone fail with EPIPE instead of killing the process.
class PipeSignalBlocked {
public:
    PipeSignalBlocked()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~PipeSignalBlocked()
    {
        if (broke && !wasPending_) {
            const timespec now{};
            (void)sigtimedwait(&pipe_, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    PipeSignalBlocked(const PipeSignalBlocked&) = delete;
    PipeSignalBlocked& operator=(const PipeSignalBlocked&) = delete;
    bool broke = false;

private:
    sigset_t pipe_, old_;
    bool wasPending_ = false;
};

} // namespace

void useNamedTemporaryFiles(bool on) noexcept
{
    gNamedOnly = on;
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target))
{
    // The new file takes the mode of the regular file it replaces; a new one, or one that replaces
    // a link to a regular file, gets 0666 less the umask.
    struct stat st {};
    const bool exists = ::lstat(target_.c_str(), &st) == 0;
    struct stat seen = st;
    if (exists && S_ISLNK(st.st_mode) && ::stat(target_.c_str(), &seen) != 0)
        seen = st; // a dangling link is replaced like any link
    if (exists && S_ISDIR(st.st_mode))
        fail(EISDIR, target_);
    // Device nodes and pipes are never replaced, also when named through a link (/dev/stdout).
    if (exists && (S_ISCHR(seen.st_mode) || S_ISFIFO(seen.st_mode))) {
        openDirect(S_ISFIFO(seen.st_mode), false);
        if (fd_ >= 0)
            return;
    } else if (exists && S_ISLNK(st.st_mode) && S_ISREG(seen.st_mode) && isDescriptorAlias(target_)) {
        // "-o /dev/stdout > out.bmp": the file the shell opened is written into, as the shell
        // would (appended to, so that ">>" appends); replacing the link would wreck /dev/stdout.
        openDirect(false, true);
        if (fd_ >= 0)
            return;
    } else if (exists && (S_ISSOCK(seen.st_mode) || S_ISBLK(seen.st_mode))) {
        fail(EOPNOTSUPP, target_);
    }
    const bool replacing = exists && S_ISREG(st.st_mode);

    // An unnamed file is linked through /proc; without it (a bare chroot) it could not be.
    if (!gNamedOnly && ::access("/proc/self/fd", X_OK) == 0) {
        fd_ = ::open(folderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && !lacksUnnamedFiles(errno))
            fail(errno, target_);
    }
    if (fd_ >= 0) {
        kind_ = Kind::Unnamed;
    } else {
        kind_ = Kind::Named;
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            temp_ = hiddenName(target_);
            fd_ = createExclusive(temp_);
            if (fd_ < 0 && errno != EEXIST)
                fail(errno, target_);
        }
        if (fd_ < 0)
            fail(EEXIST, target_);
        remember(temp_);
    }
    if (replacing)
        (void)::fchmod(fd_, st.st_mode & 07777);
}

// Opens a device or pipe for writing in place. A pipe without a reader would block the open
// for ever: it is given a short while to get one, then refused with ENXIO. Leaves fd_ at -1 when
// the name turned out to be something else by the time it was opened.
void AtomicFile::openDirect(bool pipe, bool alias)
{
    const auto deadline = std::chrono::steady_clock::now() + kReaderWait;
    for (;;) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (alias ? O_APPEND : 0));
        if (fd_ >= 0 || errno != ENXIO || !pipe || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (fd_ < 0)
        fail(errno, target_);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || (alias && S_ISREG(st.st_mode)))) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    // Writes wait for a slow reader like any other write.
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    kind_ = Kind::Direct;
    pipe_ = S_ISFIFO(st.st_mode);
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        fail(EBADF, target_);
    if (!pipe_) {
        writeAll(fd_, data, size, target_.c_str());
        return;
    }
    PipeSignalBlocked blocked;
    try {
        writeAll(fd_, data, size, target_.c_str());
    } catch (const std::system_error& e) {
        blocked.broke = e.code().value() == EPIPE;
        throw;
    }
}

void AtomicFile::commit(bool durable)
{
    if (fd_ < 0)
        fail(EBADF, target_);
    if (kind_ == Kind::Direct) {
        const int rc = ::close(fd_);
        fd_ = -1;
        if (rc != 0)
            fail(errno, target_);
        return;
    }
    if (durable && ::fsync(fd_) != 0) {
        const int err = errno;
        discard();
        fail(err, target_);
    }
    if (kind_ == Kind::Unnamed) {
        linkIntoPlace();
        return;
    }
    if (::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        discard();
        fail(err, target_);
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        discard();
        fail(err, target_);
    }
    forget(temp_);
    temp_.clear();
}

// A link cannot replace a name: a new target gets the file at once, an existing one through a
// hidden name and a rename (the hidden name only ever holds the complete file).
void AtomicFile::linkIntoPlace()
{
    int err = linkUnnamed(fd_, target_);
    if (err == EEXIST) {
        std::string hidden;
        for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
            hidden = hiddenName(target_);
            err = linkUnnamed(fd_, hidden);
        }
        if (err == 0) {
            temp_ = hidden; // ours now, removed again should the rename fail
            if (::rename(temp_.c_str(), target_.c_str()) != 0)
                err = errno;
        }
    }
    if (err != 0) {
        discard();
        fail(err, target_);
    }
    temp_.clear();
    // The data is in place; on a local file system a close reports nothing that fsync did not.
    ::close(fd_);
    fd_ = -1;
}

void AtomicFile::discard() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        forget(temp_);
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

void removeUnfinishedFiles() noexcept
{
    const std::lock_guard lock(gLiveMutex);
    for (const std::string& path : gLive)
        ::unlink(path.c_str());
    gLive.clear();
}

} // namespace platform::fs
