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

// A stop asked for while a step runs: a step that cannot be interrupted is waited for and its
// result thrown away; no later step begins; an interruptible one is asked until it ends.
TEST(LongWork, AStopThrowsAwayWhatRunsAndLetsNoFurtherStepBegin)
{
    platform::LongWorkListener listener([](WorkStep) {});
    std::atomic<bool> stopped{false};
    QTimer::singleShot(0, [&] {
        listener.requestStop();
        stopped = true;
    });
    bool finished = false;
    EXPECT_THROW(platform::runLongStep(WorkStep::SavePicture, [&] {
        finished = waitForTimer(stopped);
        return 1;
    }), platform::WorkStopped);
    EXPECT_TRUE(finished) << "the step ran to its end before its result was thrown away";
    EXPECT_TRUE(listener.stopRequested());

    bool began = false;
    EXPECT_THROW(platform::runLongStep(WorkStep::LoadPicture, [&] { began = true; }), platform::WorkStopped);
    EXPECT_FALSE(began);
}

TEST(LongWork, AnInterruptibleStepIsAskedUntilItEndsAndWorkItFinishedFirstStands)
{
    {
        platform::LongWorkListener listener([](WorkStep) {});
        std::atomic<int> asked{0};
        QTimer::singleShot(0, [&] { listener.requestStop(); });
        // The step reaches its interruptible part only after the first request: it is asked again.
        EXPECT_THROW(platform::runLongStep(WorkStep::Archive, [&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (asked < 3 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            throw platform::WorkStopped();
        }, [&] { ++asked; }), platform::WorkStopped);
        EXPECT_GE(asked, 3);
    }
    {
        platform::LongWorkListener listener([](WorkStep) {});
        std::atomic<bool> stopped{false};
        QTimer::singleShot(0, [&] {
            listener.requestStop();
            stopped = true;
        });
        const int result = platform::runLongStep(WorkStep::Archive, [&] { return waitForTimer(stopped) ? 7 : 0; }, [] {});
        EXPECT_EQ(result, 7) << "done before it could be stopped: it stands";
    }
    // A new listener starts without the stop of the one before.
    platform::LongWorkListener next([](WorkStep) {});
    EXPECT_FALSE(next.stopRequested());
    EXPECT_EQ(platform::runLongStep(WorkStep::Archive, [] { return 3; }), 3);
}

} // namespace

