// The session's freshness is worked out from what the output was rendered for; each step below is
// something a command does, and the answer after it.

#include "velmor/workflow/session.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using workflow::Session;

constexpr engine::ColorValue kSepia = 0x0040C0C0;

engine::SourcePixels grid(std::uint8_t value)
{
    return {1, 1, {value, value, value}};
}

struct Step {
    const char* what;
    std::function<void(Session&)> act;
    bool fresh;
    const char* output; // the output path afterwards
};

TEST(SessionFreshness, FollowsTheSourceTheChoiceAndTheOutput)
{
    const Step steps[] = {
        {"nothing opened", [](Session&) {}, false, ""},
        {"a source opened", [](Session& s) { s.sourceOpened(grid(1), std::nullopt); }, false, ""},
        {"rendered", [](Session& s) { s.outputRendered("/t/a.bmp", s.renderJob()); }, true, "/t/a.bmp"},
        {"an option clicked", [](Session& s) { s.filterChosen(kSepia); }, false, "/t/a.bmp"},
        {"rendered again", [](Session& s) { s.outputRendered("/t/b.bmp", s.renderJob()); }, true, "/t/b.bmp"},
        {"the view emptied", [](Session& s) { s.previewCleared(); }, false, "/t/b.bmp"},
        {"rendered for the view", [](Session& s) { s.outputRendered("/t/c.bmp", s.renderJob()); }, true, "/t/c.bmp"},
        {"another source", [](Session& s) { s.sourceOpened(grid(2), std::nullopt); }, false, "/t/c.bmp"},
        {"rendered for it", [](Session& s) { s.outputRendered("/t/d.bmp", s.renderJob()); }, true, "/t/d.bmp"},
        {"written out", [](Session& s) { EXPECT_EQ(s.takeOutput(), "/t/d.bmp"); }, false, ""},
        {"nothing left to take", [](Session& s) { EXPECT_TRUE(s.takeOutput().isEmpty()); }, false, ""},
    };
    Session session;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(session);
        EXPECT_EQ(session.PreviewFresh(), step.fresh);
        EXPECT_EQ(session.OutputTempPath(), QString::fromLatin1(step.output));
    }
}

TEST(SessionOutput, NamesTheEarlierFileOnlyWhenItIsAnother)
{
    Session session;
    session.sourceOpened(grid(1), std::nullopt);
    EXPECT_TRUE(session.outputRendered("/t/a.bmp", session.renderJob()).isEmpty()) << "there was none";
    EXPECT_EQ(session.outputRendered("/t/b.bmp", session.renderJob()), QStringLiteral("/t/a.bmp"));
    EXPECT_TRUE(session.outputRendered("/t/b.bmp", session.renderJob()).isEmpty()) << "the same file is the new output";
    EXPECT_TRUE(session.PreviewFresh());
}

TEST(SessionSource, AnOpenReplacesTheGridAndTheFile)
{
    Session session;
    EXPECT_FALSE(session.hasSource());
    session.sourceOpened(grid(7), workflow::SourceFile{3, 4});
    ASSERT_TRUE(session.hasSource());
    EXPECT_EQ(session.SourcePixels().bytes, (std::vector<std::uint8_t>{7, 7, 7}));
    ASSERT_TRUE(session.OpenedFile());
    EXPECT_EQ(session.OpenedFile()->inode, ino_t(4));
    session.sourceOpened(grid(9), std::nullopt);
    EXPECT_EQ(session.SourcePixels().bytes, (std::vector<std::uint8_t>{9, 9, 9}));
    EXPECT_FALSE(session.OpenedFile()) << "a source whose file is gone guards nothing";
}

TEST(SessionFreshness, ComparesWhatTheOutputWasRenderedForWithTheSourceAndChoiceNow)
{
    Session session;
    session.sourceOpened(grid(1), std::nullopt);
    EXPECT_EQ(session.renderJob().filterColor, 0x00808080) << "monochrome, as the window opens";
    session.filterChosen(kSepia);
    const workflow::RenderJob job = session.renderJob();
    EXPECT_EQ(job.filterColor, kSepia);

    // Another picture opened while that job rendered: its output is the earlier source's.
    session.sourceOpened(grid(2), std::nullopt);
    session.outputRendered("/t/a.bmp", job);
    EXPECT_FALSE(session.PreviewFresh());
    EXPECT_EQ(job.pixels->bytes, (std::vector<std::uint8_t>{1, 1, 1})) << "the job keeps its own grid";

    session.outputRendered("/t/b.bmp", session.renderJob());
    ASSERT_TRUE(session.PreviewFresh());
    session.filterChosen(kSepia);
    EXPECT_FALSE(session.PreviewFresh()) << "the same filter chosen again asks for a new render";
}

} // namespace
