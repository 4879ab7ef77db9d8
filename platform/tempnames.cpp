#include "platform/tempnames.h"

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

QString makeTempName(const QString& folder, const QString& prefix)
{
    const QString stamp = stamp14();
    const int n = nextNameNumber();
    return folder + prefix + stamp + QLatin1Char('_') + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'))
        + QStringLiteral(".bmp");
}

TempFile::TempFile(const QString& folder, const QString& prefix)
{
    // 99 numbers a second; many more tries than that mean something other than a taken name.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        path_ = makeTempName(folder, prefix);
        fd_ = fs::createExclusive(nativePathString(path_), 0600);
        if (fd_ >= 0)
            return;
        if (errno != EEXIST)
            throw fileError(errno, path_);
    }
    throw fileError(EEXIST, path_);
}

TempFile::~TempFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TempFile::close()
{
    if (fd_ < 0)
        return;
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0)
        throw fileError(errno, path_);
}

void TempFile::remove() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    ::unlink(toNativePath(path_).constData());
}

} // namespace platform
