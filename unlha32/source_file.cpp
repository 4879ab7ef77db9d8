// One descriptor per file, read with pread so that a second pass needs no seek.
#include "unlha32/source_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "unlha32/archive_file.h"

namespace unlha {

SourceFile::SourceFile(const std::string& path, bool followLinks)
{
    OpenStatus open = OpenStatus::Unreadable;
    fd_ = openRegularFile(path, followLinks, open, error_, size_, mtime_);
    switch (open) {
    case OpenStatus::Ok:
        status_ = Status::Ok;
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
        break;
    case OpenStatus::Missing:
        status_ = Status::Missing;
        break;
    case OpenStatus::NotOrdinary:
        status_ = Status::NotOrdinary;
        break;
    case OpenStatus::Unreadable:
        status_ = Status::Unreadable;
        break;
    }
}

SourceFile::~SourceFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::ptrdiff_t SourceFile::read(std::uint8_t* out, std::size_t n)
{
    if (status_ != Status::Ok)
        return -1;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - offset_));
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset_ + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : 0;
            status_ = got < 0 ? Status::Unreadable : Status::Changed;
            return -1;
        }
        done += static_cast<std::size_t>(got);
    }
    offset_ += done;
    return static_cast<std::ptrdiff_t>(done);
}

} // namespace unlha
