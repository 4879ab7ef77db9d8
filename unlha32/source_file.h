#pragma once
// A file to add, read in order with ordinary reads: a file of any size streams through in
// bounded memory, and one that shrinks while it is read is noticed instead of killing the process.

#include <cstddef>
#include <cstdint>
#include <string>

namespace unlha {

class SourceFile {
public:
    enum class Status { Ok, Missing, NotOrdinary, Unreadable, Changed };

    // followLinks false: a symbolic link at path is not opened (NotOrdinary). A FIFO or device is
    // never opened (NotOrdinary).
    SourceFile(const std::string& path, bool followLinks);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    Status status() const { return status_; }
    int error() const { return error_; }
    std::uint64_t size() const { return size_; }
    std::int64_t mtime() const { return mtime_; }

    // The next bytes, never past the size the file had when opened: how many (0 at that size),
    // or -1 when reading fails (status() Unreadable) or the file ends early (Changed).
    std::ptrdiff_t read(std::uint8_t* out, std::size_t n);
    // Starts again at the first byte.
    void rewind() { offset_ = 0; }

private:
    int fd_ = -1;
    Status status_ = Status::Unreadable;
    int error_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t offset_ = 0;
    std::int64_t mtime_ = 0;
};

} // namespace unlha
