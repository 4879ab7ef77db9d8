#include "unlha32/cancel.h"

#include <atomic>

namespace unlha {
namespace {
std::atomic<bool> gCancel{false}; // lock-free: set from a signal-handling thread
} // namespace

void requestCancel() noexcept { gCancel.store(true, std::memory_order_relaxed); }
bool cancelRequested() noexcept { return gCancel.load(std::memory_order_relaxed); }

} // namespace unlha
