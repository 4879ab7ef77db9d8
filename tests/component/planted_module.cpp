// What another account plants where Velmor might load it: a library whose code runs as soon as
// it is loaded, leaving a mark that the tests look for. It also answers as the archiver would.
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

__attribute__((constructor)) void leaveMark()
{
    if (const char* marker = std::getenv("VELMOR_PLANTED_MARKER")) {
        const int fd = ::open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) int Unlha(void*, const char*, char* output, std::uint32_t size)
{
    if (output && size > 0)
        output[0] = '\0';
    return 0;
}
