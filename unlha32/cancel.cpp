#include "unlha32/cancel.h"

#include <atomic>
#include <mutex>

namespace unlha {
namespace {
std::atomic<bool> gCancel{false}; // lock-free: set from a signal-handling thread

// The running calls and a stop meant for them alone, cleared when the last of them returns; the
// count and the flag change together, so a stop never outlives the calls it was meant for.
std::mutex gRunningMutex;
int gRunning = 0;
std::atomic<bool> gCancelRunning{false};
} // namespace

void requestCancel() noexcept { gCancel.store(true, std::memory_order_relaxed); }

void requestCancelRunning()
{
    const std::lock_guard lock(gRunningMutex);
    if (gRunning > 0)
        gCancelRunning.store(true, std::memory_order_relaxed);
}

bool cancelRequested() noexcept
{
    return gCancel.load(std::memory_order_relaxed) || gCancelRunning.load(std::memory_order_relaxed);
}

RunningCall::RunningCall()
{
    const std::lock_guard lock(gRunningMutex);
    ++gRunning;
}

RunningCall::~RunningCall()
{
    const std::lock_guard lock(gRunningMutex);
    if (--gRunning == 0)
        gCancelRunning.store(false, std::memory_order_relaxed);
}

} // namespace unlha
