// pread-based reading; a read that comes up short is reported, never retried past the end.
#include "unlha32/archive_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unlha {

bool MemorySource::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const
{
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    if (n > 0)
        std::memcpy(out, bytes_.data() + offset, n);
    return true;
}

int openRegularFile(const std::string& path, bool followLinks, OpenStatus& status, int& error,
                    std::uint64_t& size, std::int64_t& mtime)
{
    struct stat st {};
    const int before = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (before != 0) {
        error = errno;
        status = errno == ENOENT || errno == ENOTDIR ? OpenStatus::Missing : OpenStatus::Unreadable;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        status = OpenStatus::NotOrdinary;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        error = errno;
        status = errno == ENOENT || errno == ENOTDIR ? OpenStatus::Missing
                 : errno == ELOOP                    ? OpenStatus::NotOrdinary
                                                     : OpenStatus::Unreadable;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = errno;
        status = OpenStatus::NotOrdinary;
        ::close(fd);
        return -1;
    }
    size = static_cast<std::uint64_t>(st.st_size);
    mtime = st.st_mtime;
    status = OpenStatus::Ok;
    return fd;
}

ArchiveFile::ArchiveFile(const std::string& path, bool followLinks)
{
    fd_ = openRegularFile(path, followLinks, status_, error_, size_, mtime_);
    if (fd_ >= 0)
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

ArchiveFile::~ArchiveFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool ArchiveFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const
{
    if (fd_ < 0)
        return false;
    while (n > 0) {
        const ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace unlha
