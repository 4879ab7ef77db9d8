#include "platform/picturebudget.h"

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>

namespace platform {
namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;
constexpr std::int64_t kFallback = std::int64_t(1) << 30;

struct Budget {
    std::mutex mutex;
    std::condition_variable released;
    std::int64_t total = 0; // measured when nothing is held
    std::int64_t held = 0;
    std::int64_t testAvailable = -1;
};

Budget& budget()
{
    static Budget b;
    return b;
}

// MemAvailable from /proc/meminfo, 0 when it cannot be read.
std::int64_t machineAvailable()
{
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::int64_t kib = 0;
    std::string unit;
    while (in >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib * 1024;
    return 0;
}

std::int64_t availableMemory(const Budget& b)
{
    return b.testAvailable >= 0 ? b.testAvailable : machineAvailable();
}

// The total, measured again whenever the run holds nothing: what the run holds is counted once,
// in `held`, not again as memory the machine no longer has.
std::int64_t totalLocked(Budget& b)
{
    if (b.held == 0) {
        const std::int64_t available = availableMemory(b);
        b.total = available > 0 ? available / 4 * 3 : kFallback;
    }
    return b.total;
}

QString megabytes(std::int64_t bytes) { return QString::number((bytes + kMiB - 1) / kMiB); }

} // namespace

std::int64_t pictureMemoryTotal()
{
    Budget& b = budget();
    const std::lock_guard lock(b.mutex);
    return totalLocked(b);
}

std::int64_t pictureMemoryBudget()
{
    Budget& b = budget();
    const std::lock_guard lock(b.mutex);
    return totalLocked(b) - b.held;
}

std::int64_t wholePictureBytes(std::int64_t width, std::int64_t height)
{
    // Qt decodes to 4 bytes a pixel, the copy adds 3.
    return width * height * 7;
}

QString pictureBudgetProblem(std::int64_t width, std::int64_t height, std::int64_t fileBytes)
{
    const std::int64_t needed = wholePictureBytes(width, height) + fileBytes;
    const std::int64_t left = pictureMemoryBudget();
    if (needed <= left)
        return {};
    const QString size = width > 0 && height > 0 ? QStringLiteral("%1 x %2 ピクセル、").arg(width).arg(height) : QString();
    return QStringLiteral("画像が大きすぎて読み込めません (%1約 %2 MB のメモリが必要ですが、使えるのは %3 MB です)")
        .arg(size, megabytes(needed), QString::number(std::max<std::int64_t>(left, 0) / kMiB));
}

PictureMemory& PictureMemory::operator=(PictureMemory&& other) noexcept
{
    if (this != &other) {
        release();
        bytes_ = other.bytes_;
        other.bytes_ = 0;
    }
    return *this;
}

PictureMemory PictureMemory::claim(std::int64_t bytes)
{
    Budget& b = budget();
    std::unique_lock lock(b.mutex);
    // A picture that fits the whole budget waits for the others to give theirs back; one that
    // does not fit even alone is refused at once.
    PictureMemory claimed;
    if (bytes > totalLocked(b))
        return claimed;
    while (b.held > 0 && b.held + bytes > totalLocked(b))
        b.released.wait(lock);
    if (bytes > totalLocked(b)) // measured again once the others had gone, with less to spare
        return claimed;
    b.held += bytes;
    claimed.bytes_ = bytes;
    return claimed;
}

void PictureMemory::release() noexcept
{
    if (bytes_ == 0)
        return;
    Budget& b = budget();
    {
        const std::lock_guard lock(b.mutex);
        b.held -= bytes_;
    }
    bytes_ = 0;
    b.released.notify_all();
}

void setAvailableMemoryForTesting(std::int64_t bytes)
{
    Budget& b = budget();
    const std::lock_guard lock(b.mutex);
    b.testAvailable = bytes;
}

} // namespace platform
