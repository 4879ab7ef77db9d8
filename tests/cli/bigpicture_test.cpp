// A 200-megapixel photo through velmor-filter: made in the test with libjpeg, filtered under a
// memory ceiling far below what the picture takes held whole, and checked by a few rows.

#include "tests/support/bigjpeg.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Held whole the picture takes some 1.4 GB, its grid alone 600 MB.
constexpr long kCeilingKiB = 300 * 1024;

// Runs velmor-filter; its exit status and peak resident memory in KiB.
std::pair<int, long> runFilter(const QStringList& args, const QString& home)
{
    std::vector<QByteArray> bytes{QByteArray(VELMOR_BIN_DIR "/velmor-filter")};
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray config = QFile::encodeName(home + QStringLiteral("/config"));
    const QByteArray tmp = QFile::encodeName(home);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
        ::setenv("TMPDIR", tmp.constData(), 1);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's shadow memory is address space of its own
        const rlimit limit{rlim_t(kCeilingKiB) * 1024 * 2, rlim_t(kCeilingKiB) * 1024 * 2};
        ::setrlimit(RLIMIT_AS, &limit);
#endif
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

TEST(BigPicture, A200MegapixelJpegIsFilteredWithoutBeingHeldWhole)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("200mp.jpg"));
    const QString output = dir.filePath(QStringLiteral("200mp.bmp"));
    ASSERT_TRUE(testsupport::writeBigJpeg(input));

    const auto [status, peakKiB] = runFilter({QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("sepia"), input,
                                                 QStringLiteral("-o"), output}, dir.path());
    ASSERT_EQ(status, 0);
    EXPECT_LT(peakKiB, kCeilingKiB) << "peak " << peakKiB / 1024 << " MB";
    EXPECT_EQ(testsupport::checkBigSepiaRows(output).toStdString(), "");
}

} // namespace
