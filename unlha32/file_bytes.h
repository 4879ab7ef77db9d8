#pragma once
// A whole file's bytes, mapped read-only: archives and files to add are read in one piece.

#include <cstdint>
#include <span>
#include <string>

namespace unlha {

class FileBytes {
public:
    enum class Status { Ok, Missing, NotOrdinary, Unreadable };

    // followLinks false: a symbolic link at path is not opened (NotOrdinary). A FIFO or device is
    // never read (NotOrdinary), so a planted pipe cannot make a call wait forever.
    FileBytes(const std::string& path, bool followLinks);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    Status status() const { return status_; }
    int error() const { return error_; }
    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
    std::int64_t mtime() const { return mtime_; }

private:
    Status status_ = Status::Unreadable;
    int error_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    void* map_ = nullptr;
    std::int64_t mtime_ = 0;
};

} // namespace unlha
