#pragma once
// The memory a picture may take once decoded. Small files can decode huge (a 2.6 MB PNG of
// 30000 x 30000 pixels needs 3.6 GB), so the size in the header is checked before any decoding.
// The budget is a share of the memory the machine has available, not a constant: a 200-megapixel
// photo opens where there is room for it, and the pictures a run holds at once share the budget.

#include <QString>
#include <cstdint>

namespace platform {

// The memory a run's pictures may take together: three quarters of the machine's available memory
// (MemAvailable, 1 GiB when it cannot be read), measured when the run holds no picture.
std::int64_t pictureMemoryTotal();
// What is left of it for one more picture: the total less what the run's pictures hold now.
std::int64_t pictureMemoryBudget();

// The memory a decoded picture of this size takes with the 24-bit copy every user makes of it.
std::int64_t wholePictureBytes(std::int64_t width, std::int64_t height);

// A Japanese reason naming the size, the memory needed and the budget when a picture of
// width x height, read from a file of fileBytes bytes, would pass the budget; empty when it fits.
QString pictureBudgetProblem(std::int64_t width, std::int64_t height, std::int64_t fileBytes);

// A share of the budget held while a picture lives; released when the object goes.
class PictureMemory {
public:
    PictureMemory() = default;
    PictureMemory(PictureMemory&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = 0; }
    PictureMemory& operator=(PictureMemory&& other) noexcept;
    ~PictureMemory() { release(); }
    std::int64_t bytes() const { return bytes_; }

    // Takes bytes from the budget, waiting while other pictures of the run hold what it needs.
    // Empty (bytes() 0) when the picture cannot fit even alone: pictureBudgetProblem says why.
    static PictureMemory claim(std::int64_t bytes);

private:
    void release() noexcept;
    std::int64_t bytes_ = 0;
};

// For tests: the available memory to assume instead of the machine's (negative: the machine's).
void setAvailableMemoryForTesting(std::int64_t bytes);

} // namespace platform
