#pragma once
// A request to stop the running command as soon as it safely can: for good (SIGINT and friends in
// the `unlha` command), or only the calls running now (a window's Escape). The long loops look at
// it; whatever is half-written is then thrown away.

namespace unlha {

void requestCancel() noexcept;
// Stops the calls running now; the next call after they have all returned runs normally.
void requestCancelRunning();
bool cancelRequested() noexcept;

// Marks one call as running for its lifetime.
class RunningCall {
public:
    RunningCall();
    ~RunningCall();
    RunningCall(const RunningCall&) = delete;
    RunningCall& operator=(const RunningCall&) = delete;
};

} // namespace unlha
