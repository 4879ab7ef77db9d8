#include "platform/fs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace stdfs = std::filesystem;
using namespace platform;

namespace {

struct AtomicFileTest : ::testing::Test {
    stdfs::path dir;
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-atomic-XXXXXX";
        dir = ::mkdtemp(tmpl);
    }
    void TearDown() override
    {
        fs::useNamedTemporaryFiles(false);
        stdfs::remove_all(dir);
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::size_t entries() const
    {
        return std::size_t(std::distance(stdfs::directory_iterator(dir), stdfs::directory_iterator{}));
    }
    static std::string slurp(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void spit(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    static mode_t kindOf(const std::string& p)
    {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
    }
};

// Both ways of writing: an unnamed file, and the named temporary file kept for file systems
// that have no unnamed files.
struct BothWays : AtomicFileTest, ::testing::WithParamInterface<bool> {
    void SetUp() override
    {
        AtomicFileTest::SetUp();
        fs::useNamedTemporaryFiles(GetParam());
    }
};

TEST_P(BothWays, NewAndReplacedFilesAppearWholeAndDiscardsLeaveNothing)
{
    {
        fs::AtomicFile f(path("new"));
        f.write("fresh", 5);
        EXPECT_FALSE(stdfs::exists(path("new")));
        EXPECT_EQ(f.tempPath().empty(), !GetParam()); // an unnamed file has no name at all
        f.commit();
    }
    EXPECT_EQ(slurp(path("new")), "fresh");

    ::chmod(path("new").c_str(), 0600);
    {
        fs::AtomicFile f(path("new"));
        f.write("second", 6);
        f.commit(/*durable=*/false);
    }
    EXPECT_EQ(slurp(path("new")), "second");
    struct stat st {};
    ::stat(path("new").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    {
        fs::AtomicFile f(path("new"));
        f.write("dropped", 7);
    }
    EXPECT_EQ(slurp(path("new")), "second");
    EXPECT_EQ(entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AtomicFile, BothWays, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "NamedTemporary" : "Unnamed"; });

// A writer killed midway leaves the old file and nothing beside it.
TEST_F(AtomicFileTest, KilledWriterLeavesNoPartialFile)
{
    spit(path("photo.bmp"), "old picture");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        fs::AtomicFile f(path("photo.bmp"));
        if (!f.tempPath().empty())
            ::_exit(3); // no unnamed files here: nothing to test
        const std::string half(1 << 20, 'p');
        f.write(half.data(), half.size());
        ::raise(SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "the file system has no unnamed files";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(slurp(path("photo.bmp")), "old picture");
    EXPECT_EQ(entries(), 1u);
}

// A process ending at once takes its named temporary files with it; the old file stays.
TEST_F(AtomicFileTest, UnfinishedNamedFilesGoAtOnceOnRequest)
{
    fs::useNamedTemporaryFiles(true);
    spit(path("a"), "old");
    fs::AtomicFile a(path("a")), b(path("b"));
    a.write("x", 1);
    b.write("y", 1);
    EXPECT_EQ(entries(), 3u);
    fs::removeUnfinishedFiles();
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(slurp(path("a")), "old");
}

// Device nodes are written into and stay nodes, also through a link; root only, since only root
// may make them. The nodes are scratch ones in the test folder, never the machine's own.
TEST_F(AtomicFileTest, CharacterDevicesAreWrittenIntoAndNeverReplaced)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making device nodes needs root";
    ASSERT_EQ(::mknod(path("null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(path("full").c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0);
    stdfs::create_symlink(path("null"), path("stdout"));
    {
        const int probe = ::open(path("null").c_str(), O_WRONLY);
        if (probe < 0)
            GTEST_SKIP() << "device nodes do not open on this file system";
        ::close(probe);
    }
    for (const char* name : {"null", "stdout"}) {
        fs::AtomicFile f(path(name));
        EXPECT_TRUE(f.tempPath().empty()) << name;
        f.write("picture", 7);
        f.commit();
    }
    EXPECT_EQ(kindOf(path("null")), S_IFCHR);
    EXPECT_EQ(kindOf(path("stdout")), S_IFLNK);
    EXPECT_EQ(entries(), 3u);

    try {
        fs::AtomicFile f(path("full"));
        f.write("picture", 7);
        f.commit();
        ADD_FAILURE() << "a full device took the write";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOSPC);
    }
    EXPECT_EQ(kindOf(path("full")), S_IFCHR);
    EXPECT_EQ(entries(), 3u);
}

// "-o /dev/stdout > out.bmp": the shell's file gets the bytes and the link stays a link.
TEST_F(AtomicFileTest, FileOpenUnderADescriptorNameIsWrittenIntoNotReplaced)
{
    spit(path("redirected"), "kept ");
    const int fd = ::open(path("redirected").c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    const std::string alias = "/proc/self/fd/" + std::to_string(fd);
    stdfs::create_symlink(alias, path("stdout"));
    for (const std::string& name : {path("stdout"), alias}) {
        fs::AtomicFile f(name);
        EXPECT_TRUE(f.tempPath().empty()) << name;
        f.write("picture ", 8);
        f.commit();
    }
    ::close(fd);
    EXPECT_EQ(slurp(path("redirected")), "kept picture picture ");
    EXPECT_EQ(kindOf(path("stdout")), S_IFLNK);
    EXPECT_EQ(entries(), 2u);
}

TEST_F(AtomicFileTest, NamedPipeIsWrittenIntoForItsReader)
{
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = slurp(path("pipe")); });
    // More than a pipe holds, so the writes must wait for the reader.
    std::string picture(1 << 20, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7);
    {
        fs::AtomicFile f(path("pipe"));
        f.write(picture.data(), picture.size());
        f.commit();
    }
    reader.join();
    EXPECT_EQ(received, picture);
    EXPECT_EQ(kindOf(path("pipe")), S_IFIFO);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, PipeWithoutReaderOrWithAReaderThatLeavesIsRefused)
{
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    try {
        fs::AtomicFile f(path("pipe"));
        ADD_FAILURE() << "opened a pipe nobody reads";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENXIO);
    }

    // A reader that closes early: the write fails, and the process is not killed by SIGPIPE.
    const int readEnd = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    fs::AtomicFile f(path("pipe"));
    ::close(readEnd);
    try {
        f.write("picture", 7);
        ADD_FAILURE() << "wrote into a pipe nobody reads";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), EPIPE);
    }
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    EXPECT_EQ(kindOf(path("pipe")), S_IFIFO);
}

TEST_F(AtomicFileTest, SocketIsRefusedAndStaysASocket)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path("socket");
    ASSERT_LT(name.size(), sizeof address.sun_path);
    name.copy(address.sun_path, name.size());
    ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    try {
        fs::AtomicFile f(name);
        ADD_FAILURE() << "a socket was taken as an output";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), EOPNOTSUPP);
    }
    ::close(s);
    EXPECT_EQ(kindOf(name), S_IFSOCK);
    EXPECT_EQ(entries(), 1u);
}

} // namespace
