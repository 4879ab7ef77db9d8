// The processor budget: a batch's own job server, make's around it, and the threads asked of it.
// The budget is read once per process, so each case runs in a child process of its own.
#include "platform/jobserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::jobs::Batch;
using platform::jobs::ExtraThread;

// How many more threads the budget gives right now; they go back when this returns.
int freeThreads()
{
    std::vector<ExtraThread> taken;
    while (auto t = ExtraThread::take())
        taken.push_back(std::move(t));
    return static_cast<int>(taken.size());
}

void onOneProcessor()
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
}

#define EXPECT_IN_CHILD(body) EXPECT_EXIT({ std::exit((body) ? 0 : 1); }, testing::ExitedWithCode(0), "")

TEST(JobServer, ABatchSharesItsProcessorsWithWhatItsWorkersCall)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_IN_CHILD([] {
        unsetenv("MAKEFLAGS");
        Batch batch(3);
        const bool allBusy = batch.workers(10) == 3 && freeThreads() == 0;
        batch.workerEnded(); // one worker has no more jobs: its processor is free
        return allBusy && freeThreads() == 1;
    }());
    EXPECT_IN_CHILD([] {
        unsetenv("MAKEFLAGS");
        Batch batch(4);
        return batch.workers(2) == 2 && freeThreads() == 2; // two jobs leave two processors
    }());
}

TEST(JobServer, MakesServerAroundIsJoinedAndItsTokensGoBack)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_IN_CHILD([] {
        int fds[2];
        if (pipe(fds) != 0 || write(fds[1], "+", 1) != 1)
            return false;
        setenv("MAKEFLAGS", (" -j2 --jobserver-auth=" + std::to_string(fds[0]) + "," + std::to_string(fds[1])).c_str(), 1);
        bool ok = false;
        {
            Batch batch(8);
            ok = batch.workers(8) == 2 && freeThreads() == 0; // make's one token and the process's own
        }
        char token = 0;
        return ok && read(fds[0], &token, 1) == 1 && token == '+'; // given back as it came
    }());
    EXPECT_IN_CHILD([] {
        const std::string fifo = testing::TempDir() + "/jobserver-fifo-" + std::to_string(getpid());
        if (mkfifo(fifo.c_str(), 0600) != 0)
            return false;
        const int keep = open(fifo.c_str(), O_RDWR);
        const bool written = write(keep, "++", 2) == 2;
        setenv("MAKEFLAGS", ("--jobserver-auth=fifo:" + fifo).c_str(), 1);
        const bool ok = written && freeThreads() == 2;
        unlink(fifo.c_str());
        return ok;
    }());
}

TEST(JobServer, WithoutAServerTheProcessorsAreTheBudget)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_IN_CHILD([] {
        setenv("MAKEFLAGS", " -j4 --jobserver-auth=900,901", 1); // descriptors not passed on: no server
        onOneProcessor();
        return platform::jobs::processors() == 1 && freeThreads() == 0;
    }());
}

} // namespace
