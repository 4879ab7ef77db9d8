#include "platform/fs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform::fs {

bool isOrdinaryFile(const std::string& path) noexcept
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

AtomicFile::AtomicFile(std::string target) : target_(std::move(target))
{
    // The new file takes the mode of the regular file it replaces; a new one, or one that replaces
    // a link, gets 0666 less the umask (a link's target is never looked at).
    struct stat st {};
    const bool exists = ::lstat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw std::system_error(EISDIR, std::generic_category(), target_);
    const bool replacing = exists && S_ISREG(st.st_mode);

    std::random_device rd;
    std::mt19937 gen(rd());
    // The temporary name carries the target's name, cut so that it stays within the 255-byte limit.
    const std::string stem = folderOf(target_) + "/." + baseNameOf(target_).substr(0, 200) + ".tmp";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = stem + std::to_string(gen() % 1000000);
        fd_ = createExclusive(temp_);
        if (fd_ < 0 && errno != EEXIST)
            throw std::system_error(errno, std::generic_category(), target_);
    }
    if (fd_ < 0)
        throw std::system_error(EEXIST, std::generic_category(), target_);
    if (replacing)
        (void)::fchmod(fd_, st.st_mode & 07777);
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        throw std::system_error(EBADF, std::generic_category(), target_);
    writeAll(fd_, data, size, target_.c_str());
}

void AtomicFile::commit(bool durable)
{
    if (fd_ < 0)
        throw std::system_error(EBADF, std::generic_category(), target_);
    if ((durable && ::fsync(fd_) != 0) || ::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        ::unlink(temp_.c_str());
        throw std::system_error(err, std::generic_category(), target_);
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        throw std::system_error(err, std::generic_category(), target_);
    }
    temp_.clear();
}

void AtomicFile::discard() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
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
