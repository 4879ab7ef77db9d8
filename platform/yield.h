#pragma once
// Yielding to the event loop, time-sliced: a yield point handles pending events only when a slice
// has passed since it last did, and otherwise returns at once, so a loop may call it very often.

#include <chrono>
#include <functional>

namespace platform {

class TimeSlicedYield {
public:
    using Clock = std::chrono::steady_clock;

    explicit TimeSlicedYield(std::chrono::nanoseconds slice = std::chrono::milliseconds(10));

    void operator()();

    // What a due yield runs; QCoreApplication::processEvents unless replaced (tests, benchmarks).
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // The longest time between two handled passes so far.
    std::chrono::nanoseconds longestGap() const { return longestGap_; }
    int passes() const { return passes_; }

private:
    std::chrono::nanoseconds slice_;
    Clock::time_point last_;
    std::chrono::nanoseconds longestGap_{0};
    int passes_ = 0;
    std::function<void()> handler_;
};

} // namespace platform
