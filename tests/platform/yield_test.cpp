#include "platform/yield.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(TimeSlicedYield, HandlesEventsOnlyOnceASliceHasPassed)
{
    platform::TimeSlicedYield yield(5ms);
    int handled = 0;
    yield.setHandler([&] { ++handled; });
    for (int i = 0; i < 1000; ++i)
        yield();
    EXPECT_LE(handled, 1); // a thousand calls within one slice cost no event passes
    std::this_thread::sleep_for(6ms);
    yield();
    EXPECT_GE(handled, 1);
    EXPECT_GE(yield.longestGap(), 5ms);
}
