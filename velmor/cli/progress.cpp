#include "velmor/cli/progress.h"

#include "platform/nativepath.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace cli {

Progress::Progress(int total, bool enabled) : total_(total), enabled_(enabled && ::isatty(STDERR_FILENO))
{
    draw();
}

Progress::~Progress()
{
    if (enabled_)
        std::fputs("\n", stderr);
}

void Progress::advance()
{
    std::lock_guard lock(mutex_);
    ++done_;
    draw();
}

void Progress::report(const QString& text)
{
    std::lock_guard lock(mutex_);
    if (enabled_)
        std::fputs("\r\x1b[K", stderr); // back to the line's start and clear the bar
    std::fprintf(stderr, "%s\n", platform::shownPath(text).toUtf8().constData()); // names that are no UTF-8 as \xHH
    draw();
}

void Progress::draw()
{
    if (!enabled_)
        return;
    constexpr int kWidth = 30;
    const int filled = total_ ? done_ * kWidth / total_ : kWidth;
    std::string bar(std::size_t(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r[%s] %d/%d", bar.c_str(), done_, total_);
    std::fflush(stderr);
}

} // namespace cli
