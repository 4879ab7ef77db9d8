#pragma once
// Long steps (a picture written or read, an archive packed or unpacked) that a window waits for
// without freezing: while a window shows progress, each step runs on a worker thread and the
// calling thread keeps handling its events, so the window repaints and its progress bar moves.
// The call still returns only once the step has ended, with its result or its exception, so
// callers keep their order of steps. Without a window that shows progress (velmor-filter, tests of
// the control) a step simply runs where it is called.

#include <functional>
#include <type_traits>
#include <utility>

namespace platform {

enum class WorkStep { SavePicture, LoadPicture, Archive };

// While one lives, long steps on the application's main thread run on a worker and the listener
// hears each step as it ends, on the main thread. One at a time; it restores the one before.
class LongWorkListener {
public:
    explicit LongWorkListener(std::function<void(WorkStep)> listener);
    ~LongWorkListener();
    LongWorkListener(const LongWorkListener&) = delete;
    LongWorkListener& operator=(const LongWorkListener&) = delete;

private:
    std::function<void(WorkStep)> previous_;
};

namespace detail {
void runLongStep(WorkStep step, const std::function<void()>& work);
}

// Runs work as described above and returns its result; rethrows what it throws.
template <typename Work>
auto runLongStep(WorkStep step, Work&& work) -> std::invoke_result_t<Work>
{
    using Result = std::invoke_result_t<Work>;
    if constexpr (std::is_void_v<Result>) {
        detail::runLongStep(step, std::function<void()>(std::forward<Work>(work)));
    } else {
        Result result{};
        detail::runLongStep(step, std::function<void()>([&] { result = work(); }));
        return result;
    }
}

} // namespace platform
