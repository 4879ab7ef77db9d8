#include "platform/longwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <thread>

namespace platform {
namespace {

// The main thread's long work: who hears its steps, whether it was asked to stop, and how to
// interrupt the step that runs now. Touched on the main thread only, but for the flag a worker
// may read.
struct LongWorkState {
    std::function<void(WorkStep)> listener;
    std::atomic<bool> stop{false};
    const std::function<void()>* interrupt = nullptr; // the running step's, while it runs
    // Asks the running step again until it ends: a step may not have reached the work that can be
    // interrupted (an archiver call not yet begun) when the stop first comes.
    QTimer* askAgain = nullptr;
};

LongWorkState& state()
{
    static LongWorkState s;
    return s;
}

bool onMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

WorkStopped::~WorkStopped() = default;

LongWorkListener::LongWorkListener(std::function<void(WorkStep)> listener)
    : previous_(std::exchange(state().listener, std::move(listener)))
{
    state().stop = false;
}

LongWorkListener::~LongWorkListener()
{
    state().listener = std::move(previous_);
    state().stop = false;
}

void LongWorkListener::requestStop()
{
    LongWorkState& s = state();
    s.stop = true;
    if (s.interrupt && *s.interrupt) {
        (*s.interrupt)();
        s.askAgain->start();
    }
}

bool LongWorkListener::stopRequested() const
{
    return state().stop;
}

void detail::runLongStep(WorkStep step, const std::function<void()>& work, const std::function<void()>& interrupt)
{
    LongWorkState& s = state();
    if (!s.listener || !onMainThread()) {
        work();
        return;
    }
    if (s.stop)
        throw WorkStopped();
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer askAgain;
    askAgain.setInterval(1);
    QObject::connect(&askAgain, &QTimer::timeout, [&interrupt] {
        if (interrupt)
            interrupt();
    });
    s.interrupt = &interrupt;
    s.askAgain = &askAgain;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // The nested loop sleeps until an event comes; the worker's quit is one, posted so that it
    // arrives even when the step ends before the loop starts. An application that quits
    // meanwhile ends the loop early; the step is then waited for without handling events.
    loop.exec();
    worker.join();
    s.interrupt = nullptr;
    s.askAgain = nullptr;
    // A step asked to stop has its outcome thrown away, unless it could be interrupted and
    // finished all the same: what it did then stands.
    if (s.stop && (failure || !interrupt))
        throw WorkStopped();
    if (failure)
        std::rethrow_exception(failure);
    // Taken afresh: the listener may have been replaced while events ran.
    if (const auto& listener = s.listener)
        listener(step);
}

} // namespace platform
