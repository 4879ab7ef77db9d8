#pragma once
// Another instance that holds a temporary folder alone (as one stopped in the middle of its
// sweep does): a child process with the folder's lock taken exclusively until release().

#include <gtest/gtest.h>

#include <QByteArray>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

class HeldFolder {
public:
    explicit HeldFolder(const QByteArray& folder)
    {
        int held[2], release[2];
        if (::pipe(held) != 0 || ::pipe(release) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            ::close(release[1]); // so that the parent closing its end is seen
            ::close(held[0]);
            const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
            char c = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'h' : 'x';
            (void)!::write(held[1], &c, 1);
            (void)!::read(release[0], &c, 1);
            ::_exit(0);
        }
        ::close(held[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        char c = 0;
        holding_ = ::read(held[0], &c, 1) == 1 && c == 'h';
        ::close(held[0]);
    }
    ~HeldFolder() { release(); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    bool holding() const { return holding_; }
    void release()
    {
        if (child_ <= 0)
            return;
        const char go = 'r';
        (void)!::write(releaseFd_, &go, 1);
        ::close(releaseFd_);
        ::waitpid(child_, nullptr, 0);
        child_ = -1;
    }

private:
    pid_t child_ = -1;
    int releaseFd_ = -1;
    bool holding_ = false;
};

} // namespace testsupport
