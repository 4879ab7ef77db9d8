#include "platform/longwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <exception>
#include <thread>

namespace platform {
namespace {

std::function<void(WorkStep)>& currentListener()
{
    static std::function<void(WorkStep)> listener;
    return listener;
}

bool onMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

LongWorkListener::LongWorkListener(std::function<void(WorkStep)> listener)
    : previous_(std::exchange(currentListener(), std::move(listener)))
{
}

LongWorkListener::~LongWorkListener()
{
    currentListener() = std::move(previous_);
}

void detail::runLongStep(WorkStep step, const std::function<void()>& work)
{
    if (!currentListener() || !onMainThread()) {
        work();
        return;
    }
    std::exception_ptr failure;
    QEventLoop loop;
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
    if (failure)
        std::rethrow_exception(failure);
    // Taken afresh: the listener may have been replaced while events ran.
    if (const auto& listener = currentListener())
        listener(step);
}

} // namespace platform
