// The naming rules that tie a QPX file to the bitmap inside it, and the archiver command lines.
#include "platform/component/control.h"
#include "platform/nativepath.h"
#include "qpxctrl/basename.h"
#include "qpxctrl/commandline.h"

#include <gtest/gtest.h>

#include <functional>

using platform::component::AutomationError;

namespace {

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(PathToBaseName, TakesTheTextBetweenTheLastSlashAndTheLastDot)
{
    const struct {
        const char* path;
        const char* base;
    } cases[] = {
        {"/pics/sea.QPX", "sea"},
        {"/pics/sea.old.QPX", "sea.old"},
        {"/my.pics/sea.QPX", "sea"},
        {"sea.QPX", "sea"},
        {"/pics/.QPX", ""},
        {"/pics/Sea.Qpx", "Sea"},
        {"/pics/sea.QPX  ", "sea"},
        {"C:\\pics\\sea.QPX", "C:\\pics\\sea"}, // a backslash is no separator here
    };
    for (const auto& c : cases)
        EXPECT_EQ(qpx::PathToBaseName(QString::fromUtf8(c.path)), QString::fromUtf8(c.base)) << c.path;
}

TEST(PathToBaseName, APathWithoutADotAfterItsLastSlashIsAnInvalidArgument)
{
    for (const char* path : {"/pics/sea", "/my.pics/sea", "sea", ""})
        EXPECT_EQ(errorOf([&] { qpx::PathToBaseName(QString::fromUtf8(path)); }), platform::kInvalidArgument) << path;
}

TEST(WorkBitmapPath, JoinsFolderBaseNameAndExtensionAsTheyStand)
{
    EXPECT_EQ(qpx::WorkBitmapPath("/tmp/velmor-1000/", "/pics/sea.QPX"), "/tmp/velmor-1000/sea.bmp");
    EXPECT_EQ(qpx::WorkBitmapPath("/tmp/velmor-1000/", "/pics/.QPX"), "/tmp/velmor-1000/.bmp");
}

TEST(HasQpxExtension, IgnoresCaseAndSurroundingSpaces)
{
    for (const char* name : {"/pics/sea.QPX", "/pics/sea.qpx", "/pics/sea.Qpx", "/pics/sea.QPX  ", ".QPX"})
        EXPECT_TRUE(qpx::HasQpxExtension(QString::fromUtf8(name))) << name;
    for (const char* name : {"/pics/sea.bmp", "/pics/sea.QPX.bmp", "/pics/seaQPX", "QPX", ""})
        EXPECT_FALSE(qpx::HasQpxExtension(QString::fromUtf8(name))) << name;
}

TEST(ArchivePath, DropsTrailingSpacesAndKeepsANameFromReadingAsASwitch)
{
    EXPECT_EQ(qpx::ArchivePath("/pics/sea.QPX  "), "/pics/sea.QPX");
    EXPECT_EQ(qpx::ArchivePath(" sea.QPX"), " sea.QPX");
    EXPECT_EQ(qpx::ArchivePath("-n0.QPX"), "./-n0.QPX");
}

TEST(CommandLines, AreExactlyTheArchiverCommandsWithSpacedPathsQuoted)
{
    EXPECT_EQ(qpx::SaveCommandLine("/pics/sea.QPX", "/tmp/velmor-0/sea.bmp"),
        "a /pics/sea.QPX /tmp/velmor-0/sea.bmp -a1 -n0");
    EXPECT_EQ(qpx::OpenCommandLine("/pics/sea.QPX", "/tmp/velmor-0/"), "e /pics/sea.QPX -n0 /tmp/velmor-0/");
    EXPECT_EQ(qpx::SaveCommandLine("/home/u/My Pictures/sea.qpx", "/tmp/my tmp/velmor-0/sea.bmp"),
        "a \"/home/u/My Pictures/sea.qpx\" \"/tmp/my tmp/velmor-0/sea.bmp\" -a1 -n0");
    EXPECT_EQ(qpx::OpenCommandLine("/pics/a\tb.qpx", "/tmp/velmor-0/"), "e \"/pics/a\tb.qpx\" -n0 /tmp/velmor-0/");
}

TEST(CommandLines, NameTheOneMemberToExtractSoThatNoMemberNameReadsAsASwitch)
{
    EXPECT_EQ(qpx::ListCommandLine("/pics/sea.QPX"), "l /pics/sea.QPX");
    EXPECT_EQ(qpx::OpenCommandLine("/pics/sea.QPX", "/tmp/w/", "sea.bmp"), "e /pics/sea.QPX -n0 /tmp/w/ sea.bmp");
    EXPECT_EQ(qpx::OpenCommandLine("/pics/sea.QPX", "/tmp/w/", "-a1.bmp"), "e /pics/sea.QPX -n0 /tmp/w/ \"-a1.bmp\"");
    EXPECT_EQ(qpx::OpenCommandLine("/pics/sea.QPX", "/tmp/w/", "my sea.bmp"), "e /pics/sea.QPX -n0 /tmp/w/ \"my sea.bmp\"");
}

TEST(CommandLines, CarryQuotesAndBytesAndRefuseOnlyALineBreak)
{
    EXPECT_EQ(qpx::OpenCommandLine(QStringLiteral("/pics/say \"hi\".qpx"), "/tmp/w/", QStringLiteral("a\"b.bmp")),
        "e \"/pics/say \"\"hi\"\".qpx\" -n0 /tmp/w/ \"a\"\"b.bmp\"");
    const QString raw = platform::fromNativePath(QByteArray("/pics/\xff.qpx"));
    EXPECT_EQ(platform::toNativePath(qpx::ListCommandLine(raw)), QByteArray("l /pics/\xff.qpx"));
    EXPECT_EQ(errorOf([&] { qpx::OpenCommandLine(QStringLiteral("/pics/a\nb.qpx"), "/tmp/"); }), platform::kInvalidArgument);
}

} // namespace
