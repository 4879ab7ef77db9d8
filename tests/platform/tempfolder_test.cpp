#include "platform/errors.h"
#include "platform/nativepath.h"
#include "platform/tempfolder.h"
#include "tests/support/otheraccount.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace {

// What a call writes to stderr.
std::string stderrOf(const std::function<void()>& call)
{
    std::fflush(stderr);
    std::FILE* capture = std::tmpfile();
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(::fileno(capture), STDERR_FILENO);
    call();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::rewind(capture);
    std::string text;
    for (int c; (c = std::fgetc(capture)) != EOF;)
        text += char(c);
    std::fclose(capture);
    return text;
}

struct TempFolderTest : ::testing::Test {
    stdfs::path base;
    QByteArray oldTmpdir, oldRuntime;
    bool hadRuntime = false;
    std::string ours;
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-tf-XXXXXX";
        base = ::mkdtemp(tmpl);
        oldTmpdir = qgetenv("TMPDIR");
        hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QByteArray::fromStdString(base.string() + "/"));
        ours = base.string() + "/velmor-" + std::to_string(::getuid());
    }
    void TearDown() override
    {
        qputenv("TMPDIR", oldTmpdir);
        if (hadRuntime)
            qputenv("XDG_RUNTIME_DIR", oldRuntime);
        stdfs::remove_all(base);
    }
    static bool isPrivateFolderOfOurs(const std::string& path)
    {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
    }
};

TEST_F(TempFolderTest, MadePrivateAndEndsWithSeparator)
{
    const QString folder = platform::privateTempFolder();
    EXPECT_EQ(folder.toStdString(), ours + "/");
    struct stat st {};
    ASSERT_EQ(::lstat(ours.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::privateTempFolder(), folder); // a second start reuses it
}

// Whatever holds the name, the program runs on in a folder of its own and says so once; the
// name itself is never touched.
TEST_F(TempFolderTest, ATakenNameStopsNoOne)
{
    const struct {
        const char* what;
        std::function<void()> take;
        const char* said;
    } cases[] = {
        {"a link", [&] { stdfs::create_directory(base / "elsewhere"); stdfs::create_directory_symlink(base / "elsewhere", ours); },
            "フォルダではありません"},
        {"a file", [&] { std::ofstream(ours) << "x"; }, "フォルダではありません"},
        {"an open folder", [&] { ::mkdir(ours.c_str(), 0700); ::chmod(ours.c_str(), 0777); }, "他のユーザーからも"},
    };
    for (const auto& c : cases) {
        stdfs::remove_all(base);
        stdfs::create_directory(base);
        c.take();
        std::ofstream(base / "marker") << "x";
        QString folder;
        const std::string said = stderrOf([&] { folder = platform::privateTempFolder(); });
        const std::string path = platform::nativePathString(folder);
        EXPECT_EQ(path.rfind(ours + ".", 0), 0u) << c.what << ": " << path;
        EXPECT_TRUE(isPrivateFolderOfOurs(path.substr(0, path.size() - 1))) << c.what;
        EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ": " << said;
        EXPECT_NE(said.find(path.substr(0, path.size() - 1)), std::string::npos) << c.what << ": " << said;
        EXPECT_EQ(stderrOf([&] { EXPECT_EQ(platform::privateTempFolder(), folder) << c.what; }), "") << "said twice";
        EXPECT_TRUE(stdfs::exists(base / "marker")) << c.what;
    }
}

TEST_F(TempFolderTest, TheRuntimeFolderStandsInWhenThereIsOne)
{
    stdfs::create_directory(base / "elsewhere");
    stdfs::create_directory_symlink(base / "elsewhere", ours);
    stdfs::create_directory(base / "run");
    ::chmod((base / "run").c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((base / "run").string()));
    QString folder;
    stderrOf([&] { folder = platform::privateTempFolder(); });
    EXPECT_EQ(folder.toStdString(), (base / "run/velmor/").string());
    EXPECT_TRUE(isPrivateFolderOfOurs((base / "run/velmor").string()));
    EXPECT_TRUE(stdfs::is_empty(base / "elsewhere")); // nothing went through the link
}

TEST_F(TempFolderTest, AFolderAnotherAccountMadeFirstIsLeftToIt)
{
    REQUIRE_OTHER_ACCOUNT(other);
    ::chmod(base.c_str(), 01777); // as /tmp is
    // The attack, by the other account's own hands: the folder, and a bitmap a sweep would take.
    ASSERT_EQ(testsupport::runAs(*other, "mkdir -m 700 '" + ours + "' && touch '" + ours + "/Velmor20260101000000_001.bmp'"), 0);
    QString folder;
    const std::string said = stderrOf([&] { folder = platform::privateTempFolder(); });
    EXPECT_NE(folder.toStdString(), ours + "/");
    EXPECT_TRUE(isPrivateFolderOfOurs(platform::nativePathString(folder.chopped(1))));
    EXPECT_NE(said.find("他のユーザーのもの"), std::string::npos) << said;
    EXPECT_TRUE(stdfs::exists(ours + "/Velmor20260101000000_001.bmp")); // never swept
}

TEST_F(TempFolderTest, NoFolderAtAllIsAnErrorThatSaysWhy)
{
    std::ofstream(base / "plain") << "x";
    qputenv("TMPDIR", QByteArray::fromStdString((base / "plain").string()));
    try {
        stderrOf([] { platform::privateTempFolder(); });
        FAIL() << "a folder below a file was made";
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(QString::fromStdString((base / "plain").string()))) << e.text().toStdString();
    }
}

} // namespace
