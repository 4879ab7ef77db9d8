#pragma once
// Temporary names: folder + prefix + 14-digit local time + "_" + 001..099 + ".bmp".

#include <QString>

namespace platform {

// Reads the clock, then draws the number, and joins the parts; nothing is created.
QString makeTempName(const QString& folder, const QString& prefix);

// A file created exclusively under a fresh temporary name, open for writing. A name that is
// already taken draws the next number. Closes the descriptor when it goes out of scope.
class TempFile {
public:
    TempFile(const QString& folder, const QString& prefix);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    // Closes the file; throws on a failed close (a full disk may show only here).
    void close();
    // Closes and deletes the file.
    void remove() noexcept;

private:
    QString path_;
    int fd_ = -1;
};

} // namespace platform
