#pragma once
// One budget of processors for everything a run starts: GNU make's job server (a pipe holding a
// byte for each processor free to take, named in MAKEFLAGS), so that the archiver's helper
// threads, velmor-filter's workers and whatever `make -j` runs around them never ask for more
// processors together than the budget holds. Without a job server the budget is this process's
// own processors. No Qt here: the archiver uses it too.

#include <atomic>
#include <mutex>
#include <vector>

namespace platform::jobs {

// The processors this process may run on (its CPU affinity), at least 1.
int processors() noexcept;

// The right to run one more thread: taken from the budget without waiting, given back when the
// object goes. An empty one (operator bool false) was not to be had.
class ExtraThread {
public:
    ExtraThread() = default;
    ExtraThread(ExtraThread&& other) noexcept;
    ExtraThread& operator=(ExtraThread&& other) noexcept;
    ~ExtraThread();
    explicit operator bool() const { return held_; }

    static ExtraThread take() noexcept;

private:
    bool held_ = false;
    unsigned char token_ = 0; // the byte read from the job server, written back as it came
    bool fromServer_ = false;
};

// A batch that runs up to `wanted` workers and shares its budget with what they call (the
// archiver in this process included): it joins make's job server when there is one, else starts
// one of `wanted` processors and names it in MAKEFLAGS. Each worker but the first holds one
// processor; a worker that ends gives its processor back at once. Create it before any thread.
class Batch {
public:
    explicit Batch(int wanted);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // How many workers to start: 1 + the processors taken, at most `wanted`. Call once.
    int workers(int jobs);
    // A worker has ended: its processor goes back to the budget (the first's is the process's own).
    void workerEnded() noexcept;

private:
    int wanted_;
    int readFd_ = -1;
    int writeFd_ = -1;
    std::mutex mutex_;
    std::vector<unsigned char> held_; // the bytes taken from the server for workers
};

} // namespace platform::jobs
