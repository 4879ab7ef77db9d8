#pragma once
// A whole file's bytes, read into memory with ordinary reads: the files to add are read in one
// piece, and a file that shrinks while it is read is noticed instead of killing the process.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "unlha32/archive_file.h"

namespace unlha {

class FileBytes {
public:
    enum class Status { Ok, Missing, NotOrdinary, Unreadable, Changed };

    // followLinks false: a symbolic link at path is not opened (NotOrdinary). A FIFO or device is
    // never opened (NotOrdinary). Changed: the file was shorter than its size said.
    FileBytes(const std::string& path, bool followLinks);

    Status status() const { return status_; }
    int error() const { return error_; }
    std::span<const std::uint8_t> bytes() const { return data_; }
    std::int64_t mtime() const { return mtime_; }

private:
    Status status_ = Status::Unreadable;
    int error_ = 0;
    std::vector<std::uint8_t> data_;
    std::int64_t mtime_ = 0;
};

} // namespace unlha
