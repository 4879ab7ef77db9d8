#include "platform/formats/format.h"
#include "platform/qpxclient/qpxclient.h"
#include "velmor/cli/options.h"

#include <gtest/gtest.h>

using namespace cli;

namespace {

QStringList split(const char* line)
{
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(Options, ReadsFiltersColoursAndOutputs)
{
    Options o = parseOptions(split("-f sepia -o out.bmp in.jpg"));
    EXPECT_EQ(o.filter, 1);
    EXPECT_EQ(o.output, "out.bmp");
    EXPECT_EQ(o.inputs, QStringList{"in.jpg"});

    EXPECT_FALSE(o.jpegQuality);
    EXPECT_EQ(o.dirExtension, "bmp");

    o = parseOptions(split("-f 5 -c #C0C040 -d out -t qpx -j 3 -q a.bmp b.gif"));
    EXPECT_EQ(o.filter, 5);
    EXPECT_EQ(*o.customColor, 0x0040C0C0);
    EXPECT_EQ(o.dirExtension, "qpx");
    EXPECT_EQ(o.jobs, 3);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.inputs.size(), 2);

    EXPECT_EQ(*parseOptions(split("-f custom -c 00c0c040 -o x a")).customColor, 0x00C0C040);
    EXPECT_EQ(parseOptions(split("-o x -- -odd-name")).inputs, QStringList{"-odd-name"});

    o = parseOptions(split("-Q 75 -d out -t WEBP a.jpg"));
    EXPECT_EQ(*o.jpegQuality, 75);
    EXPECT_EQ(o.dirExtension, "webp");
    for (const char* type : {"bmp", "qpx", "jpg", "png", "tif", "webp"})
        EXPECT_EQ(parseOptions(split(QStringLiteral("-d o -t %1 a").arg(QLatin1String(type)).toUtf8().constData())).dirExtension, type);
}

TEST(Options, UsageErrors)
{
    for (const char* line : {"", "in.jpg", "-o a -d b in.jpg", "-o a x.jpg y.jpg", "-f purple -o a x", "-f 6 -o a x",
             "-c C0C040 -o a x", "-c #C0C04 -o a x", "-t gif -d a x", "-t jpeg -d a x", "-j 0 -d a x", "-x -o a x", "-o",
             "-Q 0 -o a x", "-Q 101 -o a x", "-Q high -o a x", "-o a x -Q"}) {
        EXPECT_THROW(parseOptions(split(line)), UsageError) << line;
    }
}

TEST(Options, OutputKindAndNamesInAFolder)
{
    // The kind of output follows the name as Create decides it: QPX first, then the formats.
    EXPECT_TRUE(qpxclient::isQpxPath("a/OUT.QPX"));
    EXPECT_TRUE(qpxclient::isQpxPath("out.qpx"));
    EXPECT_FALSE(qpxclient::isQpxPath("out.qpxx"));
    EXPECT_EQ(formats::formatOf("out.png"), formats::Format::Png);
    EXPECT_EQ(formats::formatOf("out.qpxx"), formats::Format::Bitmap);
    EXPECT_EQ(outputInDir("dir", "/p/sea.old.jpg", "bmp"), "dir/sea.old.bmp");
    EXPECT_EQ(outputInDir("dir/", "sea", "qpx"), "dir/sea.qpx");
    EXPECT_EQ(outputInDir("d", ".hidden", "bmp"), "d/.hidden.bmp");
    EXPECT_EQ(formats::formatOf(outputInDir("d", "/p/koi.jpg", "tif")), formats::Format::Tiff);
}

TEST(Options, HelpIsInOneLanguageChosenByTheLocale)
{
    const QString japanese = usageText(true), english = usageText(false);
    EXPECT_TRUE(japanese.contains(QStringLiteral("使い方")));
    EXPECT_FALSE(japanese.contains(QStringLiteral("Usage")));
    EXPECT_TRUE(english.startsWith(QStringLiteral("Usage")));
    for (const QChar c : english)
        EXPECT_LT(c.unicode(), 0x80) << "not English: " << english.toStdString();

    const struct {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        bool japanese;
    } cases[] = {
        {"", "", "ja_JP.UTF-8", true}, {"", "", "C.UTF-8", false}, {"", "", "", false}, {"C", "", "ja_JP.UTF-8", false},
        {"", "ja_JP.UTF-8", "en_GB.UTF-8", true}, {"ja_JP.eucJP", "C", "C", true},
    };
    const QByteArray saved[] = {qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
    for (const auto& c : cases) {
        qputenv("LC_ALL", c.lcAll);
        qputenv("LC_MESSAGES", c.lcMessages);
        qputenv("LANG", c.lang);
        EXPECT_EQ(japaneseLocale(), c.japanese) << c.lcAll << "/" << c.lcMessages << "/" << c.lang;
    }
    qputenv("LC_ALL", saved[0]);
    qputenv("LC_MESSAGES", saved[1]);
    qputenv("LANG", saved[2]);
}

} // namespace
