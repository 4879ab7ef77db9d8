#pragma once
// SIGINT, SIGTERM and SIGHUP (a closed terminal) end velmor-filter within a second: the work is
// asked to stop, and what cannot stop in time (a long decode, an archiver call) is cut short.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace cli {

class StopSignals {
public:
    // A signal sets stop (one ignored when the program started stays ignored, as under nohup);
    // when the run has not ended `grace` later, cutShort runs on a watcher
    // thread and the process exits with status 130. Outputs being written have no name yet, so
    // nothing partial stays behind.
    StopSignals(std::atomic<bool>& stop, std::function<void()> cutShort,
        std::chrono::milliseconds grace = std::chrono::milliseconds(800));
    // The run has ended by itself: the watcher stands down (also on destruction).
    void ended();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    void watch();

    std::atomic<bool>& stop_;
    std::function<void()> cutShort_;
    std::chrono::milliseconds grace_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watcher_;
};

} // namespace cli
