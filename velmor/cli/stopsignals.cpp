#include "velmor/cli/stopsignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cli {
namespace {

// The handler only writes the signal's number into a pipe; the watcher thread does the rest.
int gWake[2] = {-1, -1};

void onSignal(int signo)
{
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    (void)!::write(gWake[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(std::atomic<bool>& stop, std::function<void()> cutShort, std::chrono::milliseconds grace)
    : stop_(stop), cutShort_(std::move(cutShort)), grace_(grace)
{
    if (::pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the default actions stay: the process ends at once
    // Reads wait; only the handler's writes must never block.
    ::fcntl(gWake[0], F_SETFL, ::fcntl(gWake[0], F_GETFL) & ~O_NONBLOCK);
    watcher_ = std::thread([this] { watch(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start stays ignored: nohup, or a job started in the background.
        struct sigaction before {};
        if (::sigaction(signo, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signo, &action, nullptr);
    }
}

StopSignals::~StopSignals()
{
    ended();
}

void StopSignals::ended()
{
    if (!watcher_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    const char stand_down = 0;
    (void)!::write(gWake[1], &stand_down, 1);
    watcher_.join();
}

void StopSignals::watch()
{
    char byte = 0;
    for (;;) {
        const ssize_t n = ::read(gWake[0], &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == 0)
            return;
        break;
    }
    stop_.store(true);
    std::unique_lock lock(mutex_);
    if (ended_.wait_for(lock, grace_, [this] { return done_; }))
        return;
    if (cutShort_)
        cutShort_();
    ::_exit(130);
}

} // namespace cli
