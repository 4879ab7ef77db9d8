#include "platform/yield.h"

#include <QCoreApplication>

namespace platform {

TimeSlicedYield::TimeSlicedYield(std::chrono::nanoseconds slice) : slice_(slice), last_(Clock::now()) {}

void TimeSlicedYield::operator()()
{
    const auto t = Clock::now();
    if (t - last_ < slice_)
        return;
    longestGap_ = std::max(longestGap_, std::chrono::duration_cast<std::chrono::nanoseconds>(t - last_));
    ++passes_;
    if (handler_)
        handler_();
    else
        QCoreApplication::processEvents();
    last_ = Clock::now();
}

} // namespace platform
