// Long steps run on a worker while the window's thread keeps handling events, and come back to
// their caller in order, with their result or their error.

#include "platform/errors.h"
#include "platform/longwork.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using platform::WorkStep;

// Waits, off the main thread, until the main thread has handled a timer: only a caller that
// keeps its events flowing lets it end.
bool waitForTimer(const std::atomic<bool>& fired)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fired && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return fired;
}

TEST(LongWork, WithAListenerAStepRunsOnAWorkerWhileEventsAreHandled)
{
    std::vector<WorkStep> heard;
    const platform::LongWorkListener listener([&](WorkStep s) { heard.push_back(s); });
    std::atomic<bool> fired{false};
    QTimer::singleShot(0, [&] { fired = true; });
    const auto caller = std::this_thread::get_id();
    std::thread::id ranOn;

    const int result = platform::runLongStep(WorkStep::Archive, [&] {
        ranOn = std::this_thread::get_id();
        return waitForTimer(fired) ? 42 : 0;
    });
    EXPECT_EQ(result, 42);
    EXPECT_NE(ranOn, caller);
    EXPECT_EQ(heard, std::vector<WorkStep>{WorkStep::Archive});

    // Steps in a row come back in their order.
    platform::runLongStep(WorkStep::SavePicture, [] {});
    platform::runLongStep(WorkStep::LoadPicture, [] {});
    EXPECT_EQ(heard, (std::vector<WorkStep>{WorkStep::Archive, WorkStep::SavePicture, WorkStep::LoadPicture}));
}

TEST(LongWork, AFailedStepThrowsItsOwnErrorToTheCallerAndIsNotCounted)
{
    int heard = 0;
    const platform::LongWorkListener listener([&](WorkStep) { ++heard; });
    try {
        platform::runLongStep(WorkStep::SavePicture,
            [] { throw platform::RuntimeError(platform::kFileAccessError, QStringLiteral("full disk")); });
        ADD_FAILURE() << "no error came back";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), platform::kFileAccessError);
        EXPECT_EQ(e.text(), QStringLiteral("full disk"));
    }
    EXPECT_EQ(heard, 0);
}

TEST(LongWork, WithoutAListenerOrOffTheMainThreadAStepRunsWhereItIsCalled)
{
    const auto caller = std::this_thread::get_id();
    std::thread::id ranOn;
    platform::runLongStep(WorkStep::Archive, [&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, caller);

    int heard = 0;
    const platform::LongWorkListener listener([&](WorkStep) { ++heard; });
    bool ranOnItself = false;
    std::thread other([&] {
        const auto self = std::this_thread::get_id();
        platform::runLongStep(WorkStep::Archive, [&] { ranOnItself = std::this_thread::get_id() == self; });
    });
    other.join();
    EXPECT_TRUE(ranOnItself) << "a worker thread of velmor-filter runs its step itself";
    EXPECT_EQ(heard, 0);
}

TEST(LongWork, AListenerRestoresTheOneBeforeIt)
{
    int outer = 0, inner = 0;
    const platform::LongWorkListener first([&](WorkStep) { ++outer; });
    {
        const platform::LongWorkListener second([&](WorkStep) { ++inner; });
        platform::runLongStep(WorkStep::Archive, [] {});
    }
    platform::runLongStep(WorkStep::Archive, [] {});
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(outer, 1);
}

} // namespace
