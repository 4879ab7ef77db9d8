#pragma once
// Run-time errors carry a number and a text for the user, as the system has always reported them.

#include <QString>
#include <stdexcept>
#include <system_error>

namespace platform {

enum ErrorNumber : int {
    kInvalidArgument = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kSubscriptOutOfRange = 9,
    kTypeMismatch = 13,
    kFileNotFound = 53,
    kDiskFull = 61,
    kPermissionDenied = 70,
    kPathNotFound = 76,
    kFileAccessError = 75,
    kInvalidPicture = 481,
    kCancelled = 32755,
};

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& text);
    int number() const { return number_; }
    QString text() const { return text_; }

private:
    int number_;
    QString text_;
};

// A file-system failure as a run-time error whose text names the file and the reason.
RuntimeError fileError(const std::system_error& e, const QString& path);
RuntimeError fileError(int errnoValue, const QString& path);

// The reason for an errno value, in Japanese.
QString errnoReason(int errnoValue);

} // namespace platform
