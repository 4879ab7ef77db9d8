#include "platform/fs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform::fs {

bool isOrdinaryFile(const std::string& path) noexcept
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int openRegularForReading(const std::string& path) noexcept
{
    // Opening a pipe waits for a writer and a device may act on being opened: look first, then
    // make sure that what was opened is still what was looked at.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    auto refuse = [](const struct stat& s) {
        errno = S_ISDIR(s.st_mode) ? EISDIR : ENODEV;
        return -1;
    };
    if (!S_ISREG(st.st_mode))
        return refuse(st);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const struct stat now = st;
        ::close(fd);
        return refuse(now);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int createExclusive(const std::string& path, int mode) noexcept
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void writeAll(int fd, const void* data, std::size_t size, const char* what)
{
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), what);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void writeAllAt(int fd, const void* data, std::size_t size, std::int64_t offset, const char* what)
{
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), what);
        }
        p += n;
        offset += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool allowsPositionedWrites(int fd) noexcept
{
    return ::lseek(fd, 0, SEEK_CUR) >= 0;
}

OverlappedWriter::OverlappedWriter(AtomicFile& file, std::size_t bufferSize)
    : file_(file), size_(bufferSize), buffers_{std::make_unique<std::uint8_t[]>(bufferSize), std::make_unique<std::uint8_t[]>(bufferSize)}
{
}

OverlappedWriter::~OverlappedWriter()
{
    if (writing_.valid())
        writing_.wait(); // a failure here was either reported by finish() or is moot
}

void OverlappedWriter::wait()
{
    if (writing_.valid())
        writing_.get();
}

void OverlappedWriter::submit(std::size_t bytes)
{
    wait(); // the other buffer is free once its write is done
    writing_ = std::async(std::launch::async, [this, data = buffers_[current_].get(), bytes] { file_.write(data, bytes); });
    current_ ^= 1;
    filled_ = 0;
}

void OverlappedWriter::append(const void* data, std::size_t size)
{
    auto p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const std::size_t n = std::min(size, size_ - filled_);
        std::memcpy(buffer() + filled_, p, n);
        filled_ += n;
        p += n;
        size -= n;
        if (filled_ == size_)
            submit(filled_);
    }
}

void OverlappedWriter::finish()
{
    if (filled_ > 0)
        submit(filled_);
    wait();
}

} // namespace platform::fs
