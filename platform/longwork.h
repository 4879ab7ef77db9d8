#pragma once
// Long steps (a picture written or read, an archive packed or unpacked) that a window waits for
// without freezing: while a window shows progress, each step runs on a worker thread and the
// calling thread keeps handling its events, so the window repaints and its progress bar moves.
// The call still returns only once the step has ended, with its result or its exception, so
// callers keep their order of steps. Without a window that shows progress (velmor-filter, tests of
// the control) a step simply runs where it is called.
//
// The window may ask the work under way to stop (Escape). No step begins after that; a step that
// runs is interrupted when it says how, else waited for; either way its caller gets WorkStopped,
// unless an interruptible step had already finished, whose result then stands.

#include <functional>
#include <type_traits>
#include <utility>

namespace platform {

enum class WorkStep { SavePicture, LoadPicture, Archive };

// Thrown to the caller of a step when the work was asked to stop. Not a std::exception, so that
// no handler of failures takes it for one; its type lives in this library, shared by the program
// and the modules it loads.
class WorkStopped {
public:
    WorkStopped() = default;
    virtual ~WorkStopped();
};

// While one lives, long steps on the application's main thread run on a worker and the listener
// hears each step as it ends, on the main thread. One at a time; it restores the one before.
class LongWorkListener {
public:
    explicit LongWorkListener(std::function<void(WorkStep)> listener);
    ~LongWorkListener();
    LongWorkListener(const LongWorkListener&) = delete;
    LongWorkListener& operator=(const LongWorkListener&) = delete;

    // Asks the work under way to stop (call on the main thread, from an event handled meanwhile).
    void requestStop();
    bool stopRequested() const;

private:
    std::function<void(WorkStep)> previous_;
};

namespace detail {
void runLongStep(WorkStep step, const std::function<void()>& work, const std::function<void()>& interrupt);
}

// Runs work as described above and returns its result; rethrows what it throws. interrupt, when
// given, is called on the main thread if a stop is asked for while the step runs, and again every
// millisecond until the step ends (it may come before the step's work can be interrupted): it
// must make the step end soon. The step may then throw or return what it likes; the caller gets
// WorkStopped either way, unless the step had finished first.
template <typename Work>
auto runLongStep(WorkStep step, Work&& work, const std::function<void()>& interrupt = {}) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    if constexpr (std::is_void_v<Result>) {
        detail::runLongStep(step, std::function<void()>(std::forward<Work>(work)), interrupt);
    } else {
        Result result{};
        detail::runLongStep(step, std::function<void()>([&] { result = work(); }), interrupt);
        return result;
    }
}

} // namespace platform
