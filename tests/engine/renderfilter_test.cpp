#include "platform/clock.h"
#include "platform/errors.h"
#include "tests/support/files.h"
#include "velmor/engine/renderfilter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace engine;

namespace {

constexpr ColorValue kSepia = 0x0040C0C0;

struct RenderTest : ::testing::Test {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');

    static SourcePixels grid(int w, int h, std::vector<std::uint8_t> bytes)
    {
        return SourcePixels{w, h, std::move(bytes)};
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }
};

TEST_F(RenderTest, SepiaOverTwoPixelsIsTheSixtyTwoByteFile)
{
    const auto rendered = renderFilter(grid(2, 1, {10, 20, 31, 255, 255, 254}), 2, 1, kSepia, folder);
    const QByteArray bytes = testsupport::readFile(rendered.outputPath);
    ASSERT_EQ(bytes.size(), 62);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(bytes.mid(54), QByteArray("\x0a\x1e\x1e\x80\xff\xff\x00\x00", 8));
}

TEST_F(RenderTest, OnePixelIsFiftyEightBytesWithOnePaddingByte)
{
    const auto rendered = renderFilter(grid(1, 1, {10, 20, 31}), 1, 1, 0x00808080, folder);
    EXPECT_EQ(testsupport::readFile(rendered.outputPath).mid(54), QByteArray("\x14\x14\x14\x00", 4));
}

TEST_F(RenderTest, EveryWidthGetsZeroPaddingToFourBytes)
{
    for (int w = 1; w <= 5; ++w) {
        const auto rendered = renderFilter(grid(w, 2, std::vector<std::uint8_t>(std::size_t(6 * w), 200)), w, 2,
            0x00FFFFFF, folder);
        const QByteArray bytes = testsupport::readFile(rendered.outputPath);
        const int stride = (3 * w + 3) & ~3;
        ASSERT_EQ(bytes.size(), 54 + 2 * stride) << "W=" << w;
        for (int row = 0; row < 2; ++row)
            for (int i = 3 * w; i < stride; ++i)
                EXPECT_EQ(bytes[54 + row * stride + i], '\0') << "W=" << w;
        QFile::remove(rendered.outputPath);
    }
}

TEST_F(RenderTest, NamesFollowTheScratchThenOutputRuleAndOnlyTheOutputExists)
{
    platform::setClockForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(8, 15, 2)); });
    platform::resetRandomForTesting();
    const int firstDraw = platform::nextNameNumber();
    const int secondDraw = platform::nextNameNumber();
    platform::resetRandomForTesting();
    const auto rendered = renderFilter(grid(1, 1, {1, 2, 3}), 1, 1, kSepia, folder);
    platform::setClockForTesting({});

    EXPECT_EQ(rendered.scratchPath, folder + QStringLiteral("Velmor20261206081502_%1.bmp").arg(firstDraw, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(rendered.outputPath, folder + QStringLiteral("VelmorPrev20261206081502_%1.bmp").arg(secondDraw, 3, 10, QLatin1Char('0')));
    EXPECT_EQ(files(), QStringList{QFileInfo(rendered.outputPath).fileName()});
}

TEST_F(RenderTest, YieldsAndStepsComeInRowOrder)
{
    QStringList events;
    RenderHooks hooks;
    hooks.yield = [&] { events << QStringLiteral("yield"); };
    hooks.step = [&] { events << QStringLiteral("step"); };
    renderFilter(grid(2, 3, std::vector<std::uint8_t>(18, 7)), 2, 3, kSepia, folder, hooks);
    // A narrow row: one yield after its pixels, then the step, then the row's yield.
    const QStringList row = {QStringLiteral("yield"), QStringLiteral("step"), QStringLiteral("yield")};
    EXPECT_EQ(events, row + row + row);
}

TEST_F(RenderTest, CancellingStopsAtTheNextYieldAndDeletesTheOutput)
{
    int steps = 0;
    RenderHooks hooks;
    hooks.step = [&] { ++steps; };
    hooks.cancelled = [&] { return steps == 2; };
    EXPECT_THROW(renderFilter(grid(3, 5, std::vector<std::uint8_t>(45, 1)), 3, 5, kSepia, folder, hooks),
        RenderCancelled);
    EXPECT_EQ(steps, 2);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(RenderTest, OversizeAndMismatchedGridsFailBeforeAnyFileIsWritten)
{
    const SourcePixels small = grid(1, 1, {1, 2, 3});
    for (const auto& [w, h, number] : {std::tuple{32767, 1, int(platform::kOverflow)}, std::tuple{1, 32767, int(platform::kOverflow)},
             std::tuple{2, 1, int(platform::kSubscriptOutOfRange)}}) {
        try {
            renderFilter(small, w, h, kSepia, folder);
            ADD_FAILURE() << w << "x" << h;
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), number);
        }
    }
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(RenderTest, AnUnwritableFolderIsAnErrorNamingIt)
{
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0500), 0);
    if (::access(dir.path().toLocal8Bit().constData(), W_OK) == 0)
        GTEST_SKIP() << "running with privileges that ignore folder permissions";
    try {
        renderFilter(grid(1, 1, {1, 2, 3}), 1, 1, kSepia, folder);
        FAIL();
    } catch (const platform::RuntimeError& e) {
        EXPECT_TRUE(e.text().contains(dir.path())) << e.text().toStdString();
    }
}

TEST_F(RenderTest, AFailedWriteFailsTheRenderAndLeavesNoOutput)
{
    // A file-size limit makes writes fail the way a full disk does.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    EXPECT_THROW(renderFilter(grid(10, 10, std::vector<std::uint8_t>(300, 9)), 10, 10, kSepia, folder),
        platform::RuntimeError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(RenderTest, APlantedLinkAtTheOutputNameIsNotFollowed)
{
    platform::setClockForTesting([] { return QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)); });
    platform::resetRandomForTesting();
    platform::nextNameNumber();
    const int n = platform::nextNameNumber();
    platform::resetRandomForTesting();
    const QString target = folder + QStringLiteral("target");
    const QString planted = folder + QStringLiteral("VelmorPrev20260101000000_%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
    QFile::link(target, planted);
    const auto rendered = renderFilter(grid(1, 1, {1, 2, 3}), 1, 1, kSepia, folder);
    platform::setClockForTesting({});
    EXPECT_NE(rendered.outputPath, planted);
    EXPECT_FALSE(QFile::exists(target));
}

} // namespace
