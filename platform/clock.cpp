#include "platform/clock.h"

#include <cmath>
#include <cstdint>
#include <mutex>

namespace platform {
namespace {

std::mutex gMutex;
std::function<QDateTime()> gClock;

// A 24-bit linear congruential generator: its values are exact in single precision.
constexpr std::uint32_t kSeed = 0x50000;
std::uint32_t gState = kSeed;

} // namespace

QDateTime now()
{
    std::lock_guard lock(gMutex);
    return gClock ? gClock() : QDateTime::currentDateTime();
}

QString stamp14()
{
    return now().toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString stamp12()
{
    return now().toString(QStringLiteral("yyMMddHHmmss"));
}

void setClockForTesting(std::function<QDateTime()> clock)
{
    std::lock_guard lock(gMutex);
    gClock = std::move(clock);
}

float nextRandom()
{
    std::lock_guard lock(gMutex);
    gState = (gState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(gState) / 16777216.0f;
}

int nextNameNumber()
{
    return static_cast<int>(std::floor(nextRandom() * 99.0f)) + 1;
}

void resetRandomForTesting()
{
    std::lock_guard lock(gMutex);
    gState = kSeed;
}

} // namespace platform
