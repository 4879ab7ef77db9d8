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

    o = parseOptions(split("-f 5 -c #C0C040 -d out -t qpx -j 3 -q a.bmp b.gif"));
    EXPECT_EQ(o.filter, 5);
    EXPECT_EQ(*o.customColor, 0x0040C0C0);
    EXPECT_EQ(o.dirKind, OutputKind::Qpx);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.inputs.size(), 2);

    EXPECT_EQ(*parseOptions(split("-f custom -c 00c0c040 -o x a")).customColor, 0x00C0C040);
    EXPECT_EQ(parseOptions(split("-o x -- -odd-name")).inputs, QStringList{"-odd-name"});
}

TEST(Options, UsageErrors)
{
    for (const char* line : {"", "in.jpg", "-o a -d b in.jpg", "-o a x.jpg y.jpg", "-f purple -o a x", "-f 6 -o a x",
             "-c C0C040 -o a x", "-c #C0C04 -o a x", "-t png -d a x", "-j 0 -d a x", "-x -o a x", "-o"}) {
        EXPECT_THROW(parseOptions(split(line)), UsageError) << line;
    }
}

TEST(Options, OutputKindAndNamesInAFolder)
{
    EXPECT_EQ(outputKindOf("a/OUT.QPX"), OutputKind::Qpx);
    EXPECT_EQ(outputKindOf("out.qpx"), OutputKind::Qpx);
    EXPECT_EQ(outputKindOf("out.png"), OutputKind::Bmp);
    EXPECT_EQ(outputKindOf("out.qpxx"), OutputKind::Bmp);
    EXPECT_EQ(outputInDir("dir", "/p/sea.old.jpg", OutputKind::Bmp), "dir/sea.old.bmp");
    EXPECT_EQ(outputInDir("dir/", "sea", OutputKind::Qpx), "dir/sea.qpx");
    EXPECT_EQ(outputInDir("d", ".hidden", OutputKind::Bmp), "d/.hidden.bmp");
}

} // namespace
