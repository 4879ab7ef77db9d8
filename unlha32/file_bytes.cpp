// One read loop over a regular file of known size.
#include "unlha32/file_bytes.h"

#include <cerrno>
#include <unistd.h>

namespace unlha {

FileBytes::FileBytes(const std::string& path, bool followLinks)
{
    OpenStatus open = OpenStatus::Unreadable;
    std::uint64_t size = 0;
    const int fd = openRegularFile(path, followLinks, open, error_, size, mtime_);
    switch (open) {
    case OpenStatus::Ok:
        break;
    case OpenStatus::Missing:
        status_ = Status::Missing;
        return;
    case OpenStatus::NotOrdinary:
        status_ = Status::NotOrdinary;
        return;
    case OpenStatus::Unreadable:
        status_ = Status::Unreadable;
        return;
    }
    data_.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < data_.size()) {
        const ssize_t got = ::read(fd, data_.data() + done, data_.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : 0;
            status_ = got < 0 ? Status::Unreadable : Status::Changed;
            ::close(fd);
            data_.clear();
            return;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    status_ = Status::Ok;
}

} // namespace unlha
