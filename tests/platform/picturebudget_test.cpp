// The picture budget follows the machine's available memory, and the pictures a run holds at once
// share it.

#include "platform/picturebudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr std::int64_t kMiB = std::int64_t(1) << 20;

struct PictureBudgetTest : ::testing::Test {
    void SetUp() override { platform::setAvailableMemoryForTesting(1000 * kMiB); }
    void TearDown() override { platform::setAvailableMemoryForTesting(-1); }
};

TEST_F(PictureBudgetTest, IsThreeQuartersOfTheAvailableMemoryAndTheRefusalNamesBothFigures)
{
    EXPECT_EQ(platform::pictureMemoryTotal(), 750 * kMiB);
    // 16320 x 12240 (200 megapixels) held whole takes 1333.5 MiB.
    EXPECT_EQ(platform::pictureBudgetProblem(16320, 12240, 0),
        QStringLiteral("画像が大きすぎて読み込めません (16320 x 12240 ピクセル、約 1334 MB のメモリが必要ですが、使えるのは 750 MB です)"));
    EXPECT_TRUE(platform::pictureBudgetProblem(6000, 4000, 10 * kMiB).isEmpty());

    platform::setAvailableMemoryForTesting(std::int64_t(4) << 30); // a machine with a few GB free
    EXPECT_TRUE(platform::pictureBudgetProblem(16320, 12240, 60 * kMiB).isEmpty());
}

TEST_F(PictureBudgetTest, APictureHeldLeavesLessForTheNextAndGivesItBackWhenItGoes)
{
    {
        const auto first = platform::PictureMemory::claim(500 * kMiB);
        ASSERT_EQ(first.bytes(), 500 * kMiB);
        EXPECT_EQ(platform::pictureMemoryBudget(), 250 * kMiB);
        EXPECT_TRUE(platform::pictureBudgetProblem(0, 0, 300 * kMiB).endsWith(QStringLiteral("使えるのは 250 MB です)")));
    }
    EXPECT_EQ(platform::pictureMemoryBudget(), 750 * kMiB);
}

TEST_F(PictureBudgetTest, APictureTooLargeEvenAloneIsRefusedAtOnceWhileOthersAreHeld)
{
    const auto held = platform::PictureMemory::claim(100 * kMiB);
    EXPECT_EQ(platform::PictureMemory::claim(751 * kMiB).bytes(), 0) << "refused, not kept waiting";
}

// A batch of large pictures runs as many at once as fit: the next one waits for room, then runs.
TEST_F(PictureBudgetTest, APictureThatFitsOnlyAloneWaitsForTheOthersToGiveTheirsBack)
{
    auto first = platform::PictureMemory::claim(400 * kMiB);
    std::atomic<bool> claimed{false};
    std::thread second([&] {
        const auto mine = platform::PictureMemory::claim(400 * kMiB);
        EXPECT_EQ(mine.bytes(), 400 * kMiB);
        claimed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(claimed) << "two of 400 MB do not fit in 750 MB";
    first = platform::PictureMemory();
    second.join();
    EXPECT_TRUE(claimed);
    EXPECT_EQ(platform::pictureMemoryBudget(), 750 * kMiB);
}

} // namespace
