#include "velmor/workflow/copyfile.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace workflow {

void copyFileReplacing(const QString& from, const QString& to)
{
    const QByteArray source = platform::toNativePath(from);
    const int fd = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw platform::fileError(errno, from);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    try {
        platform::fs::AtomicFile target(platform::nativePathString(to));
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw platform::fileError(errno, from);
            if (n == 0)
                break;
            target.write(buffer.data(), static_cast<std::size_t>(n));
        }
        target.commit(true);
    } catch (const std::system_error& e) {
        throw platform::fileError(e, to);
    }
}

} // namespace workflow
