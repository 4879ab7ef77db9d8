// Names go into text and back to their very bytes, UTF-8 or not.
#include "platform/nativepath.h"

#include <gtest/gtest.h>

namespace {

TEST(NativePath, EveryNameComesBackByteForByte)
{
    const QByteArray names[] = {
        "plain.bmp",
        "\xe5\x86\x99\xe7\x9c\x9f.bmp",  // 写真.bmp
        "\xff.bmp",
        "\xef\xbf\xbd.bmp",               // U+FFFD itself, spelled out
        "x\xffy\xfe.bmp",
        "\x8e\xca\x90^.bmp",             // Shift-JIS from a Windows disk
        "\xed\xa0\x80.bmp",              // an encoded surrogate: no UTF-8
        "\xc0\xaf.bmp",                  // an overlong '/'
        "\xf4\x90\x80\x80.bmp",          // past U+10FFFF
        "cut\xe5\x86",                   // a character cut short
        "\xf0\x9f\x98\x80.bmp",          // a character outside the first plane
    };
    for (const QByteArray& name : names)
        EXPECT_EQ(platform::toNativePath(platform::fromNativePath(name)), name) << name.toHex().constData();
}

TEST(NativePath, NamesQtWouldMakeOneStayTwoAndShowTheirBytes)
{
    const QString raw = platform::fromNativePath(QByteArray("\xff.bmp"));
    const QString replacement = platform::fromNativePath(QByteArray("\xef\xbf\xbd.bmp"));
    EXPECT_NE(raw, replacement);
    EXPECT_TRUE(platform::holdsRawBytes(raw));
    EXPECT_FALSE(platform::holdsRawBytes(replacement));
    EXPECT_EQ(platform::shownPath(raw), QStringLiteral("\\xFF.bmp"));
    EXPECT_EQ(platform::shownPath(replacement), QStringLiteral("\uFFFD.bmp"));
    EXPECT_EQ(platform::shownPath(platform::fromNativePath(QByteArray("/d\x8e\xca/\xe5\x86\x99.bmp"))),
        QStringLiteral("/d\\x8E\\xCA/\u5199.bmp"));
    // Valid UTF-8 is plain text, as Qt would have it.
    EXPECT_EQ(platform::fromNativePath(QByteArray("\xe5\x86\x99.bmp")), QStringLiteral("\u5199.bmp"));
}

TEST(NativePath, RelativeNamesTakeTheWorkingFolder)
{
    EXPECT_EQ(platform::absolutePath(QStringLiteral("/a/./b/../c.bmp")), QStringLiteral("/a/c.bmp"));
    const QString relative = platform::absolutePath(platform::fromNativePath(QByteArray("\xff.bmp")));
    EXPECT_TRUE(relative.startsWith(QLatin1Char('/')));
    EXPECT_TRUE(platform::toNativePath(relative).endsWith("/\xff.bmp"));
}

} // namespace
