#pragma once
// A one-line progress bar on stderr, drawn only when stderr is a terminal. Other lines for
// stderr go through report(), so that none of them runs into the bar.

#include <QString>
#include <mutex>

namespace cli {

class Progress {
public:
    Progress(int total, bool enabled);
    ~Progress();
    void advance();
    // Writes text as a line of its own on stderr; the bar is cleared first and drawn again below.
    void report(const QString& text);

private:
    void draw();

    std::mutex mutex_;
    int total_;
    int done_ = 0;
    bool enabled_;
};

} // namespace cli
