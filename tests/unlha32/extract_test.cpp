// What extraction promises beyond decoding: no member silently replaces another, named members
// only, `x` keeps every path inside the folder, an archive that shrinks while it is read is a
// clean error, and the `unlha` command's conventions (help, version, whole reports, signals).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "fixture_builder.h"
#include "test_support.h"
#include "unlha32/archive_index.h"
#include "unlha32/member_decoder.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

using namespace test;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes stored(const std::string& path, const Bytes& data) { return level1Stored(path, data, 'U'); }
const std::string kUnlha = std::string(VELMOR_BIN_DIR) + "/unlha";

TEST(Extract, NoMemberSilentlyReplacesAnother)
{
    ScratchDir dir;
    writeFile(dir / "a.lzh", archiveOf({stored("EAS/hello.txt", text("first")), stored("hello.txt", text("second")),
                                        stored("other.txt", text("o"))}));
    fs::create_directory(dir / "e");
    auto r = callUnlha("e " + (dir / "a.lzh") + " " + (dir / "e") + "/");
    EXPECT_EQ(r.code, UNLHA_ERR_SKIPPED) << r.output;
    EXPECT_EQ(readFile(dir / "e/hello.txt"), text("first"));
    EXPECT_EQ(readFile(dir / "e/other.txt"), text("o")) << "the members after it are still extracted";
    EXPECT_NE(r.output.find("展開しません: hello.txt"), std::string::npos) << r.output;
    EXPECT_EQ(listFolder(dir / "e"), (std::vector<std::string>{"hello.txt", "other.txt"}));

    fs::create_directory(dir / "x");
    r = callUnlha("x " + (dir / "a.lzh") + " " + (dir / "x") + "/");
    EXPECT_EQ(r.code, UNLHA_OK) << r.output;
    EXPECT_EQ(readFile(dir / "x/EAS/hello.txt"), text("first"));
    EXPECT_EQ(readFile(dir / "x/hello.txt"), text("second"));

    // A first member that fails leaves the name free for the next one.
    Bytes broken = stored("EAS/hello.txt", text("first"));
    broken[broken.size() - 1] ^= 1;
    writeFile(dir / "b.lzh", archiveOf({broken, stored("hello.txt", text("second"))}));
    fs::create_directory(dir / "b");
    r = callUnlha("e " + (dir / "b.lzh") + " " + (dir / "b") + "/");
    EXPECT_EQ(r.code, UNLHA_ERR_CRC) << r.output;
    EXPECT_EQ(readFile(dir / "b/hello.txt"), text("second"));
}

TEST(Extract, OnlyTheNamedMembers)
{
    ScratchDir dir;
    const Bytes big = textBytes(50000);
    writeFile(dir / "a.lzh", archiveOf({stored("sea.bmp", text("picture")), stored("sub/big.bin", big),
                                        stored("notes.txt", text("n"))}));
    struct Case {
        std::string names;
        int code;
        std::vector<std::string> files;
    };
    const std::vector<Case> cases{
        {"sea.bmp", UNLHA_OK, {"sea.bmp"}},
        {"sub/big.bin notes.txt", UNLHA_OK, {"big.bin", "notes.txt"}},
        {"big.bin", UNLHA_OK, {"big.bin"}},
        {"lake.bmp", UNLHA_ERR_NO_FILE, {}},
        {"sea.bmp lake.bmp", UNLHA_ERR_NO_FILE, {"sea.bmp"}},
    };
    for (const auto& c : cases) {
        const std::string out = dir / "out";
        fs::create_directory(out);
        const auto r = callUnlha("e " + (dir / "a.lzh") + " -n0 " + out + "/ " + c.names);
        EXPECT_EQ(r.code, c.code) << c.names << "\n" << r.output;
        EXPECT_EQ(listFolder(out), c.files) << c.names;
        fs::remove_all(out);
    }
    // A member's size is known before anything is written: `l` with its name lists it alone.
    const auto l = callUnlha("l " + (dir / "a.lzh") + " big.bin");
    ASSERT_EQ(l.code, UNLHA_OK) << l.output;
    EXPECT_NE(l.output.find("       50000 "), std::string::npos) << l.output;
    EXPECT_EQ(l.output.find("sea.bmp"), std::string::npos) << l.output;
    EXPECT_NE(l.output.find("1 個のメンバ"), std::string::npos) << l.output;
    EXPECT_EQ(callUnlha("t " + (dir / "a.lzh") + " sea.bmp").code, UNLHA_OK);
    EXPECT_EQ(callUnlha("l " + (dir / "a.lzh") + " missing").code, UNLHA_ERR_NO_FILE);
}

TEST(Extract, FoldersStayInsideTheDestination)
{
    ScratchDir dir;
    const Bytes d = text("d");
    writeFile(dir / "a.lzh", archiveOf({stored("../../up.txt", d), stored("/etc/abs.txt", d), stored("a/b/deep.txt", d),
                                        stored("a/./c/../../x.txt", d), stored("link/in.txt", d)}));
    const std::string out = dir / "out";
    fs::create_directory(out);
    fs::create_directory(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", out + "/link"); // planted beforehand
    const auto r = callUnlha("x " + (dir / "a.lzh") + " " + out + "/");
    EXPECT_EQ(r.code, UNLHA_ERR_DAMAGED) << r.output;
    EXPECT_TRUE(fs::is_regular_file(out + "/etc/abs.txt")) << r.output;
    EXPECT_TRUE(fs::is_regular_file(out + "/a/b/deep.txt")) << r.output;
    EXPECT_FALSE(fs::exists(dir / "up.txt"));
    EXPECT_FALSE(fs::exists(out + "/up.txt")) << "a climbing name is refused, not flattened";
    EXPECT_TRUE(listFolder(dir / "elsewhere").empty()) << "nothing is written through a link";
    EXPECT_NE(r.output.find("up.txt"), std::string::npos) << r.output;
}

// An archive file that shrinks after it was indexed: reads past the new end fail.
class ShrinkingSource : public ByteSource {
public:
    ShrinkingSource(Bytes bytes, std::uint64_t after) : bytes_(std::move(bytes)), after_(after) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) const override
    {
        if (shrunk_ && offset + n > after_)
            return false;
        std::copy_n(bytes_.begin() + static_cast<long>(offset), n, out);
        return true;
    }
    void shrink() { shrunk_ = true; }

private:
    Bytes bytes_;
    std::uint64_t after_;
    bool shrunk_ = false;
};

TEST(Extract, AnArchiveThatShrinksWhileReadIsACleanError)
{
    const Bytes a = archiveOf({stored("one.txt", textBytes(3000)), stored("two.txt", randomBytes(3000, 2))});
    ShrinkingSource src(a, 2000);
    const ArchiveIndex index = indexArchive(src);
    ASSERT_EQ(index.status, ArchiveIndex::Status::Ok);
    src.shrink();
    std::vector<MemberOutcome> outcomes;
    std::size_t delivered = 0;
    MemberVisitor v;
    v.open = [&](const IndexedMember&) -> Consumer {
        return [&](const std::uint8_t*, std::size_t n) {
            delivered += n;
            return true;
        };
    };
    v.done = [&](const IndexedMember&, MemberOutcome o) {
        outcomes.push_back(o);
        return o != MemberOutcome::Truncated;
    };
    decodeMembers(src, index, v);
    EXPECT_EQ(outcomes, std::vector<MemberOutcome>{MemberOutcome::Truncated}) << "the walk stops at the cut";
    EXPECT_LT(delivered, 3000u);

    // Shrunk before the index: the header walk says so.
    ShrinkingSource early(a, 10);
    early.shrink();
    EXPECT_EQ(indexArchive(early).status, ArchiveIndex::Status::Damaged);
}

TEST(Extract, AFileCutWhileUnlhaReadsItNeverKillsItNorLeavesAPart)
{
    ScratchDir dir;
    const Bytes big = randomBytes(48 << 20, 9); // stored: long enough to be cut in the middle
    writeFile(dir / "a.lzh", archiveOf({level2Member({.name = "big.bin", .data = big})}));
    fs::create_directory(dir / "out");
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(kUnlha.c_str(), "unlha", "e", (dir / "a.lzh").c_str(), (dir / "out/").c_str(), nullptr);
        ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_EQ(::truncate((dir / "a.lzh").c_str(), 1 << 20), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    const int code = WEXITSTATUS(status);
    EXPECT_TRUE(code == UNLHA_OK || code == UNLHA_ERR_DAMAGED) << code;
    const auto left = listFolder(dir / "out");
    if (code == UNLHA_OK) {
        EXPECT_EQ(readFile(dir / "out/big.bin"), big); // it was quicker than the cut
    } else {
        EXPECT_TRUE(left.empty()) << left.front();
    }
}

TEST(UnlhaCommand, HelpAndVersionOnStandardOutput)
{
    ScratchDir dir;
    for (const char* arg : {"--help", "-h", "--version"}) {
        const std::string out = dir / "out.txt";
        EXPECT_EQ(runShell("(" + kUnlha + " " + arg + " >'" + out + "')"), 0) << arg;
        const Bytes b = readFile(out);
        const std::string s(b.begin(), b.end());
        EXPECT_NE(s.find(std::string(arg) == "--version" ? "unlha 1." : "x 書庫"), std::string::npos) << arg << s;
    }
}

TEST(UnlhaCommand, ListingsAreNeverCut)
{
    ScratchDir dir;
    std::vector<Bytes> members;
    for (int i = 0; i < 15000; ++i)
        members.push_back(stored("member-" + std::to_string(i) + ".txt", {}));
    writeFile(dir / "many.lzh", archiveOf(members));
    ASSERT_EQ(runShell("(" + kUnlha + " l '" + (dir / "many.lzh") + "' >'" + (dir / "l.txt") + "')"), 0);
    const Bytes b = readFile(dir / "l.txt");
    const std::string s(b.begin(), b.end());
    EXPECT_NE(s.find("member-14999.txt"), std::string::npos);
    EXPECT_NE(s.find("15000 個のメンバ"), std::string::npos);

    // Through the library's fixed buffer the cut is said, and the result stays the command's.
    std::vector<char> small(1024);
    const std::string line = "l " + (dir / "many.lzh");
    EXPECT_EQ(Unlha(nullptr, line.c_str(), small.data(), 1024), UNLHA_OK);
    EXPECT_NE(std::string(small.data()).find(UNLHA_REPORT_CUT), std::string::npos);
}

// Waits until the child's command runs on a thread that blocks the stop signals (its main
// thread waits for them), however slowly the machine started it.
bool takesSignals(pid_t child, int sig)
{
    const std::string tasks = "/proc/" + std::to_string(child) + "/task";
    for (int tries = 0; tries < 1000; ++tries) {
        std::error_code ec;
        for (const auto& task : fs::directory_iterator(tasks, ec)) {
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("SigBlk:", 0) == 0 && ((std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1))
                    return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(UnlhaCommand, SignalsEndItPromptlyLeavingNothing)
{
    ScratchDir dir;
    writeFile(dir / "photo.bmp", textBytes(60 << 20));
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(kUnlha.c_str(), "unlha", "a", (dir / "new.lzh").c_str(), (dir / "photo.bmp").c_str(), nullptr);
            ::_exit(127);
        }
        ASSERT_TRUE(takesSignals(child, sig));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const auto sent = std::chrono::steady_clock::now();
        ::kill(child, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const auto took = std::chrono::steady_clock::now() - sent;
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == UNLHA_OK) { // finished before the signal came
            fs::remove(dir / "new.lzh");
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
        EXPECT_LT(took, std::chrono::seconds(2)) << "signal " << sig;
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"photo.bmp"}) << "signal " << sig;
    }
}

} // namespace
} // namespace unlha
