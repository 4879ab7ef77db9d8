// mmap of a regular file; an empty file maps to an empty span.
#include "unlha32/file_bytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unlha {

FileBytes::FileBytes(const std::string& path, bool followLinks)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        error_ = errno;
        status_ = errno == ENOENT || errno == ENOTDIR ? Status::Missing
                  : errno == ELOOP                    ? Status::NotOrdinary
                                                      : Status::Unreadable;
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = errno;
        status_ = Status::NotOrdinary;
        ::close(fd);
        return;
    }
    mtime_ = st.st_mtime;
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ > 0) {
        map_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map_ == MAP_FAILED) {
            error_ = errno;
            map_ = nullptr;
            size_ = 0;
            ::close(fd);
            return;
        }
        ::madvise(map_, size_, MADV_SEQUENTIAL);
        data_ = static_cast<const std::uint8_t*>(map_);
    }
    ::close(fd);
    status_ = Status::Ok;
}

FileBytes::~FileBytes()
{
    if (map_)
        ::munmap(map_, size_);
}

} // namespace unlha
