#pragma once
// A one-line progress bar on stderr, drawn only when stderr is a terminal.

#include <mutex>

namespace cli {

class Progress {
public:
    Progress(int total, bool enabled);
    ~Progress();
    void advance();

private:
    void draw();

    std::mutex mutex_;
    int total_;
    int done_ = 0;
    bool enabled_;
};

} // namespace cli
