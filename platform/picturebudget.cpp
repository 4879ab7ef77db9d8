#include "platform/picturebudget.h"

#include <fstream>
#include <string>

namespace platform {
namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;
constexpr std::int64_t kBudget = std::int64_t(1) << 30;

// MemAvailable from /proc/meminfo, 0 when it cannot be read.
std::int64_t availableMemory()
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

// The memory a decoded picture of this size takes, with the 24-bit copy every user makes of it:
// Qt decodes to 4 bytes a pixel, the copy adds 3.
std::int64_t decodedPictureBytes(std::int64_t width, std::int64_t height)
{
    return width * height * 7;
}

} // namespace

std::int64_t pictureMemoryBudget()
{
    const std::int64_t available = availableMemory();
    return available > 0 && available < kBudget ? available : kBudget;
}

QString pictureBudgetProblem(std::int64_t width, std::int64_t height, std::int64_t fileBytes)
{
    const std::int64_t budget = pictureMemoryBudget();
    const std::int64_t needed = decodedPictureBytes(width, height) + fileBytes;
    if (needed <= budget)
        return {};
    const QString size = width > 0 && height > 0 ? QStringLiteral("%1 x %2 ピクセル、").arg(width).arg(height) : QString();
    return QStringLiteral("画像が大きすぎて読み込めません (%1約 %2 MB のメモリが必要です。上限は %3 MB です)")
        .arg(size)
        .arg((needed + kMiB - 1) / kMiB)
        .arg(budget / kMiB);
}

} // namespace platform
