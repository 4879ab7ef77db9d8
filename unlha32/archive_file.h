#pragma once
// Where archive bytes come from: an archive file read with ordinary reads (never mapped, so a
// file that another process shortens cannot kill the reader), or bytes already in memory.

#include <cstdint>
#include <span>
#include <string>

namespace unlha {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The size when the source was opened.
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset; false when they are not all there (the file shrank or
    // cannot be read any more).
    virtual bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

enum class OpenStatus { Ok, Missing, NotOrdinary, Unreadable };

// Opens a regular file for reading. A FIFO, device or folder is refused before it is opened (and
// checked again after, against a swap), so a planted pipe cannot make a call wait forever.
// followLinks false: a symbolic link is NotOrdinary. Returns the descriptor or -1.
int openRegularFile(const std::string& path, bool followLinks, OpenStatus& status, int& error,
                    std::uint64_t& size, std::int64_t& mtime);

class ArchiveFile : public ByteSource {
public:
    ArchiveFile(const std::string& path, bool followLinks);
    ~ArchiveFile() override;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    OpenStatus status() const { return status_; }
    int error() const { return error_; }
    std::int64_t mtime() const { return mtime_; }
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const override;

private:
    int fd_ = -1;
    OpenStatus status_ = OpenStatus::Unreadable;
    int error_ = 0;
    std::uint64_t size_ = 0;
    std::int64_t mtime_ = 0;
};

} // namespace unlha
