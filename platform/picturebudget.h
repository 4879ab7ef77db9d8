#pragma once
// The memory a picture may take once decoded. Small files can decode huge (a 2.6 MB PNG of
// 30000 x 30000 pixels needs 3.6 GB), so the size in the header is checked before any decoding.

#include <QString>
#include <cstdint>

namespace platform {

// 1 GiB, or less when the machine has less memory available.
std::int64_t pictureMemoryBudget();

// A Japanese reason naming the size when a picture of width x height, read from a file of
// fileBytes bytes, would pass the budget; empty when it fits.
QString pictureBudgetProblem(std::int64_t width, std::int64_t height, std::int64_t fileBytes);

} // namespace platform
