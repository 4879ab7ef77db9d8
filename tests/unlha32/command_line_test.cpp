// Command-line words, switches and quoting, and the output buffer's limits.
#include <gtest/gtest.h>

#include <cstring>

#include "unlha32/command_line.h"
#include "unlha32/report.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

struct LineCase {
    const char* line;
    bool ok;
    char letter;
    std::string archive;
    std::vector<std::string> files;
    std::string folder;
    std::vector<std::string> members = {};
};

TEST(CommandLine, WordsSwitchesAndQuotes)
{
    const std::vector<LineCase> cases{
        // The two lines the picture control sends.
        {"a /p/sea.QPX /tmp/velmor-0/sea.bmp -a1 -n0", true, 'a', "/p/sea.QPX", {"/tmp/velmor-0/sea.bmp"}, ""},
        {"e /p/sea.QPX -n0 /tmp/velmor-0/", true, 'e', "/p/sea.QPX", {}, "/tmp/velmor-0/"},
        // Quoted paths keep their spaces; switches may come first or between names.
        {"a \"/my pics/sea.QPX\" \"/tmp/x y/sea.bmp\" -a1 -n0", true, 'a', "/my pics/sea.QPX", {"/tmp/x y/sea.bmp"}, ""},
        {"e -n0 \"/my pics/a.lzh\" \"/out dir/\"", true, 'e', "/my pics/a.lzh", {}, "/out dir/"},
        {"a  arc.lzh\tone two  ", true, 'a', "arc.lzh", {"one", "two"}, ""},
        {"a arc\"with quote\".lzh f", true, 'a', "arcwith quote.lzh", {"f"}, ""},
        {"e arc.lzh", true, 'e', "arc.lzh", {}, ""},
        // Member names follow the folder; without a folder every word after the archive is one.
        {"e /p/sea.QPX -n0 /tmp/q/ sea.bmp", true, 'e', "/p/sea.QPX", {}, "/tmp/q/", {"sea.bmp"}},
        {"e arc.lzh one/ two/", true, 'e', "arc.lzh", {}, "one/", {"two/"}},
        {"x arc.lzh notafolder sub/b.txt", true, 'x', "arc.lzh", {}, "", {"notafolder", "sub/b.txt"}},
        {"l arc.lzh extra", true, 'l', "arc.lzh", {}, "", {"extra"}},
        {"l arc", true, 'l', "arc", {}, ""},     // no extension is added
        {"t \"-odd name\"", true, 't', "-odd name", {}, ""}, // a quoted word is never a switch
        // Two quotes inside quotes are one; bytes that are no UTF-8 pass as they are.
        {"e arc.lzh /t/ \"say \"\"hi\"\".bmp\"", true, 'e', "arc.lzh", {}, "/t/", {"say \"hi\".bmp"}},
        {"e arc.lzh /t/ \"\"\"\"", true, 'e', "arc.lzh", {}, "/t/", {"\""}},
        {"e arc.lzh /t/ x\xffy.bmp", true, 'e', "arc.lzh", {}, "/t/", {"x\xffy.bmp"}},
        // Usage errors.
        {"", false, 0, "", {}, ""},
        {"v arc.lzh", false, 0, "", {}, ""},
        {"add arc.lzh f", false, 0, "", {}, ""},
        {"a arc.lzh", false, 0, "", {}, ""},
        {"a -a1 -n0", false, 0, "", {}, ""},
        {"a arc.lzh f -x1", false, 0, "", {}, ""},
        {"a arc.lzh f -", false, 0, "", {}, ""},
        {"a \"arc.lzh f", false, 0, "", {}, ""},
        {"a arc.lzh \"\"", false, 0, "", {}, ""},
        {"a arc.lzh f\nrm", false, 0, "", {}, ""},
    };
    for (const auto& c : cases) {
        const ParsedCommand p = parseCommandLine(c.line);
        ASSERT_EQ(p.ok, c.ok) << '[' << c.line << "] " << p.problem;
        if (!c.ok) {
            EXPECT_FALSE(p.problem.empty());
            continue;
        }
        EXPECT_EQ(p.command.letter, c.letter) << c.line;
        EXPECT_EQ(p.command.archive, c.archive) << c.line;
        EXPECT_EQ(p.command.files, c.files) << c.line;
        EXPECT_EQ(p.command.folder, c.folder) << c.line;
        EXPECT_EQ(p.command.members, c.members) << c.line;
    }
}

TEST(CommandLine, JoinedArgumentsSplitBackIntoTheSameWords)
{
    const std::vector<std::string> args{"e", "/my pics/a \"b\".lzh", "/t/", "\"", "\"\"", "tab\there", "x\xffy.bmp", "a\"b"};
    const ParsedCommand p = parseCommandLine(joinArguments(args));
    ASSERT_TRUE(p.ok) << joinArguments(args) << ": " << p.problem;
    EXPECT_EQ(p.command.archive, args[1]);
    EXPECT_EQ(p.command.folder, args[2]);
    EXPECT_EQ(p.command.members, std::vector<std::string>(args.begin() + 3, args.end()));
}

TEST(Report, NeverPastTheBufferNorHalfACharacter)
{
    Report r;
    r.line("展開しました: sea.bmp"); // "展" is 3 bytes
    const std::string full = r.text();
    struct Case {
        std::uint32_t size;
        std::string expected;
    };
    const std::vector<Case> cases{
        {1, ""}, {2, ""}, {3, ""}, {4, "展"}, {5, "展"}, {static_cast<std::uint32_t>(full.size()), full.substr(0, full.size() - 1)},
        {static_cast<std::uint32_t>(full.size() + 1), full}, {1000, full},
    };
    for (const auto& c : cases) {
        std::vector<char> buf(c.size + 8, '#');
        r.copyTo(buf.data(), c.size);
        EXPECT_EQ(std::string(buf.data()), c.expected) << c.size;
        for (std::size_t i = c.size; i < buf.size(); ++i)
            EXPECT_EQ(buf[i], '#') << "byte " << i << " written past size " << c.size;
    }
    char untouched = '#';
    r.copyTo(&untouched, 0);
    EXPECT_EQ(untouched, '#');
    r.copyTo(nullptr, 100); // must not crash
}

TEST(Report, ALongReportIsCutAtALineAndSaysSo)
{
    Report r;
    for (int i = 0; i < 200; ++i)
        r.line("展開しました: /tmp/some/folder/member-" + std::to_string(i) + ".bmp");
    std::vector<char> buf(1024, '#');
    r.copyTo(buf.data(), static_cast<std::uint32_t>(buf.size()));
    const std::string shown(buf.data());
    const std::string cut = std::string(UNLHA_REPORT_CUT) + "\n";
    ASSERT_GE(shown.size(), cut.size());
    EXPECT_EQ(shown.substr(shown.size() - cut.size()), cut);
    const std::string kept = shown.substr(0, shown.size() - cut.size());
    EXPECT_EQ(r.text().substr(0, kept.size()), kept);
    EXPECT_EQ(kept.back(), '\n') << "only whole lines are kept";

    // Streaming hands out every line, however many.
    std::size_t lines = 0;
    Report streamed([&](std::string_view l) { lines += l.back() == '\n'; });
    for (int i = 0; i < 20000; ++i)
        streamed.line("x");
    EXPECT_EQ(lines, 20000u);
    EXPECT_TRUE(streamed.text().empty());
}

// A path of thousands of bytes keeps the start of its line and the reason at its end.
TEST(Report, AnOverlongLineKeepsItsReasonInASmallBuffer)
{
    Report r;
    const std::string path = "/" + std::string(4090, 'a') + "/写真.qpx";
    r.line("書き込めません: " + path + " (File name too long)");
    std::vector<char> buf(1024);
    r.copyTo(buf.data(), static_cast<std::uint32_t>(buf.size()));
    const std::string shown(buf.data());
    EXPECT_EQ(shown.rfind("書き込めません: /aaa", 0), 0u) << shown;
    EXPECT_NE(shown.find("…"), std::string::npos) << shown;
    EXPECT_NE(shown.find("/写真.qpx (File name too long)\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find(UNLHA_REPORT_CUT), std::string::npos) << shown;

    // Where the whole report fits, nothing is shortened.
    std::vector<char> big(8192);
    r.copyTo(big.data(), static_cast<std::uint32_t>(big.size()));
    EXPECT_EQ(std::string(big.data()), r.text());
}

TEST(Report, NamesAreShownWithoutControlBytesAndWithRawBytesEscaped)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain.txt", "plain.txt"},
        {"写真.bmp", "写真.bmp"},
        {"e\x1b[2J\r\n\x7f", "e_[2J___"},
        {"\x95\\.bmp", "\\x95\\x5C.bmp"}, // a Shift-JIS lead byte that is no CP932 character here
        {"a\\x41.bmp", "a\\x5Cx41.bmp"}, // a backslash in a name never reads as an escape
        {"a\xE5\x86", "a\\xE5\\x86"}, // a UTF-8 character cut short
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(printable(name), shown) << name;
}

} // namespace
} // namespace unlha
