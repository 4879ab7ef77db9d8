#pragma once
// The local clock and the one pseudo-random generator of the process.

#include <QDateTime>
#include <functional>

namespace platform {

QDateTime now();
// The local time as 14 digits, year first ("yyyymmddhhnnss" where nn is the minute).
QString stamp14();
// The local time as 12 digits with a two-digit year ("yymmddhhnnss").
QString stamp12();

// Tests pin the clock; an empty function restores the real one.
void setClockForTesting(std::function<QDateTime()> clock);

// The next number in [0, 1), single precision. The generator is never seeded, so every run draws
// the same sequence; it is shared by the whole process and safe to call from any thread.
float nextRandom();
// floor(r x 99) + 1 of the next draw: the 1..99 that temporary names carry.
int nextNameNumber();
void resetRandomForTesting();

} // namespace platform
