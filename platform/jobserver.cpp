// The job server as GNU make defines it: MAKEFLAGS carries --jobserver-auth=R,W (two inherited
// pipe descriptors; --jobserver-fds before make 4.2) or --jobserver-auth=fifo:PATH (make 4.4);
// a reader takes one byte to run one more job and writes the same byte back when done. The
// process's own first thread needs no byte.
#include "platform/jobserver.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::jobs {
namespace {

struct Server {
    int readFd = -1;  // our own non-blocking description of the pipe
    int writeFd = -1;
};

// A descriptor of the pipe that never blocks on reading, without changing the flags of the
// description other processes share.
int nonBlockingReader(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode))
        return -1; // not passed on to us: the number may name anything now
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::open(self.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

Server serverFromEnvironment()
{
    const char* flags = std::getenv("MAKEFLAGS");
    if (!flags)
        return {};
    const std::string text = flags;
    std::string auth;
    for (const char* key : {"--jobserver-fds=", "--jobserver-auth="}) // the later spelling wins
        if (const auto at = text.rfind(key); at != std::string::npos)
            auth = text.substr(at + std::strlen(key), text.find(' ', at) - at - std::strlen(key));
    Server s;
    if (auth.rfind("fifo:", 0) == 0) {
        s.readFd = ::open(auth.c_str() + 5, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        s.writeFd = ::open(auth.c_str() + 5, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    } else if (const auto comma = auth.find(','); comma != std::string::npos) {
        const int r = std::atoi(auth.substr(0, comma).c_str());
        const int w = std::atoi(auth.substr(comma + 1).c_str());
        struct stat st {};
        if (r >= 0 && w >= 0 && ::fstat(w, &st) == 0 && S_ISFIFO(st.st_mode)) {
            s.readFd = nonBlockingReader(r);
            s.writeFd = w;
        }
    }
    if (s.readFd < 0 || s.writeFd < 0) {
        if (s.readFd >= 0)
            ::close(s.readFd);
        return {};
    }
    return s;
}

// Read once, at the first use: a batch names its server before any thread asks.
std::mutex gServerMutex;
bool gServerKnown = false;
Server gServer;
std::atomic<int> gFreeProcessors{0};

const Server& server()
{
    const std::lock_guard lock(gServerMutex);
    if (!gServerKnown) {
        gServer = serverFromEnvironment();
        gFreeProcessors = processors() - 1;
        gServerKnown = true;
    }
    return gServer;
}

bool readToken(int fd, unsigned char& token)
{
    for (;;) {
        const ssize_t n = ::read(fd, &token, 1);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

void writeToken(int fd, unsigned char token)
{
    while (::write(fd, &token, 1) < 0 && errno == EINTR) {
    }
}

} // namespace

int processors() noexcept
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}

ExtraThread ExtraThread::take() noexcept
{
    ExtraThread t;
    const Server& s = server();
    if (s.readFd >= 0) {
        t.fromServer_ = t.held_ = readToken(s.readFd, t.token_);
        return t;
    }
    for (int free = gFreeProcessors.load(); free > 0;)
        if (gFreeProcessors.compare_exchange_weak(free, free - 1)) {
            t.held_ = true;
            break;
        }
    return t;
}

ExtraThread::ExtraThread(ExtraThread&& other) noexcept
    : held_(std::exchange(other.held_, false)), token_(other.token_), fromServer_(other.fromServer_)
{
}

ExtraThread& ExtraThread::operator=(ExtraThread&& other) noexcept
{
    if (this != &other) {
        ExtraThread gone(std::move(*this));
        held_ = std::exchange(other.held_, false);
        token_ = other.token_;
        fromServer_ = other.fromServer_;
    }
    return *this;
}

ExtraThread::~ExtraThread()
{
    if (!held_)
        return;
    if (fromServer_)
        writeToken(server().writeFd, token_);
    else
        ++gFreeProcessors;
}

Batch::Batch(int wanted) : wanted_(std::max(1, wanted))
{
    Server s = serverFromEnvironment();
    if (s.readFd < 0) {
        // Our own server: a byte for every processor but the first, which is the process's own.
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        for (int i = 1; i < wanted_; ++i)
            writeToken(fds[1], '+');
        s.readFd = nonBlockingReader(fds[0]);
        s.writeFd = fds[1];
        const std::string flags = " -j" + std::to_string(wanted_) + " --jobserver-auth=" + std::to_string(fds[0]) + ","
                                  + std::to_string(fds[1]);
        ::setenv("MAKEFLAGS", flags.c_str(), 1);
    }
    readFd_ = s.readFd;
    writeFd_ = s.writeFd;
}

Batch::~Batch()
{
    while (!held_.empty())
        workerEnded();
}

int Batch::workers(int jobs)
{
    const std::lock_guard lock(mutex_);
    unsigned char token = 0;
    while (static_cast<int>(held_.size()) + 1 < std::min(wanted_, jobs) && readFd_ >= 0 && readToken(readFd_, token))
        held_.push_back(token);
    return static_cast<int>(held_.size()) + 1;
}

void Batch::workerEnded() noexcept
{
    const std::lock_guard lock(mutex_);
    if (held_.empty())
        return; // the process's own processor
    writeToken(writeFd_, held_.back());
    held_.pop_back();
}

} // namespace platform::jobs
