#pragma once
// Plain POSIX file services shared by every part of the system, the archiver included (no Qt here).

#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <string>

namespace platform::fs {

// True when path names a regular file; a final symbolic link is not followed, so a link,
// folder or device is never an ordinary file.
bool isOrdinaryFile(const std::string& path) noexcept;

// Opens path for reading only when it is a regular file (a final link is followed), without
// ever blocking: a named pipe, device, socket or folder is not opened at all. Returns the
// descriptor, or -1 with errno set (ENODEV for something that is not a regular file, EISDIR for
// a folder).
int openRegularForReading(const std::string& path) noexcept;

// Creates path exclusively (never over an existing name, never through a link) for writing.
// Returns the descriptor, or -1 with errno set (EEXIST when the name is taken).
int createExclusive(const std::string& path, int mode = 0666) noexcept;

// The folder part of a path ("." when it has none), and the part after the last '/'.
std::string folderOf(const std::string& path);
std::string baseNameOf(const std::string& path);

// Writes a file in the target's folder that gets a name only when complete; commit() flushes it
// to disk and puts it in place of the target at once, so the target is either its old self or
// complete and new, even when the process is killed midway. The file has no name while it is
// written where the file system allows (else a hidden temporary name beside the target).
// A target that is a character device (/dev/null) or a named pipe with a reader is written into
// directly and stays what it is, as is a file already open under a descriptor's name
// (/dev/stdout); a socket, block device or folder is refused.
// Without commit() nothing is left behind. Failures throw std::system_error.
class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const void* data, std::size_t size);
    // durable: flush to disk before it takes the target's place (user files); scratch files may skip it.
    void commit(bool durable = true);
    void discard() noexcept;

    int fd() const { return fd_; }
    const std::string& target() const { return target_; }
    // The temporary name, empty while the file has none (unnamed, or written into the target).
    const std::string& tempPath() const { return temp_; }

private:
    enum class Kind { Unnamed, Named, Direct };
    void openDirect(bool pipe, bool alias);
    void linkIntoPlace();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    Kind kind_ = Kind::Unnamed;
    bool pipe_ = false;
};

// Removes the temporary files of every AtomicFile still being written under a name, for a process
// about to end at once (unnamed files need nothing: they vanish with the process).
void removeUnfinishedFiles() noexcept;

// For tests: true makes every new AtomicFile use a named temporary file, as on file systems
// without unnamed files.
void useNamedTemporaryFiles(bool on) noexcept;

// Writes a file in pieces on a second thread while the caller fills the next piece: two buffers
// take turns, so producing the bytes (decoding, rendering) and writing them overlap.
class OverlappedWriter {
public:
    OverlappedWriter(AtomicFile& file, std::size_t bufferSize);
    ~OverlappedWriter();
    OverlappedWriter(const OverlappedWriter&) = delete;
    OverlappedWriter& operator=(const OverlappedWriter&) = delete;

    // The buffer to fill now, bufferSize bytes; submit() hands the first bytes of it over.
    std::uint8_t* buffer() { return buffers_[current_].get(); }
    std::size_t bufferSize() const { return size_; }
    void submit(std::size_t bytes);
    // Copies data in, handing over every buffer that fills.
    void append(const void* data, std::size_t size);
    // Hands over what is left and waits; throws std::system_error of the first failed write.
    void finish();

private:
    void wait();

    AtomicFile& file_;
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> buffers_[2];
    int current_ = 0;
    std::size_t filled_ = 0;
    std::future<void> writing_;
};

// Writes all of data to fd; throws std::system_error naming what (ENOSPC on a full disk).
void writeAll(int fd, const void* data, std::size_t size, const char* what);
// The same at a position in the file, which does not move the descriptor's offset.
void writeAllAt(int fd, const void* data, std::size_t size, std::int64_t offset, const char* what);
// False for a pipe or a terminal, which take bytes only in order.
bool allowsPositionedWrites(int fd) noexcept;

} // namespace platform::fs
