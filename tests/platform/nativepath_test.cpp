// Names go into text and back to their very bytes, UTF-8 or not.
#include "platform/nativepath.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// What a file dialog hands back is Qt's text, U+FFFD for every byte that is no UTF-8; each name
// is found again in its folder, or refused when two files there look alike.
TEST(NativePath, NamesFromQtAreFoundAgainByTheirBytes)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    for (const QByteArray& name : {QByteArray("only/\xff.bmp"), QByteArray("both/\xff.bmp"), QByteArray("both/\xef\xbf\xbd.bmp"),
             QByteArray("\xfe/\xfd.bmp")}) {
        ::mkdir((root + "/" + name.left(name.indexOf('/'))).constData(), 0700);
        ::close(::open((root + "/" + name).constData(), O_WRONLY | O_CREAT, 0600));
    }
    const QString qtRoot = dir.path();
    const QString lost = QStringLiteral("\uFFFD.bmp");
    EXPECT_EQ(platform::fromQtPath(qtRoot + "/only/" + lost).value_or(QString()), platform::fromNativePath(root + "/only/\xff.bmp"));
    EXPECT_FALSE(platform::fromQtPath(qtRoot + "/both/" + lost)); // which one was meant cannot be told
    EXPECT_EQ(platform::fromQtPath(qtRoot + "/\uFFFD/" + lost).value_or(QString()), platform::fromNativePath(root + "/\xfe/\xfd.bmp"));
    EXPECT_EQ(platform::fromQtPath(qtRoot + "/only/new\uFFFD.bmp").value_or(QString()), qtRoot + "/only/new\uFFFD.bmp");
    EXPECT_EQ(platform::fromQtPath(qtRoot + "/only/plain.bmp").value_or(QString()), qtRoot + "/only/plain.bmp");
    QDir(dir.path()).removeRecursively();
    ::system(("rm -rf '" + root + "'").constData()); // QDir cannot name what is no UTF-8
}

} // namespace
