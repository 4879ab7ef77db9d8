// The three commands called without a window: inputs in, a result or one error type out, and the
// session and the files left as a failed command promises.

#include "platform/errors.h"
#include "tests/support/files.h"
#include "velmor/workflow/commands.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

struct Commands : testing::Test {
    QTemporaryDir dir;
    QString temp = dir.path() + QStringLiteral("/tmp/");
    workflow::Session session;
    int renders = 0;

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp)); }

    QString path(const char* name) const { return dir.path() + '/' + QLatin1String(name); }
    QStringList leftInTemp() const { return QDir(temp).entryList(QDir::Files); }

    // A source as Browse leaves it, opened from the bitmap at the given name.
    void opened(const char* name)
    {
        QImage picture(3, 2, QImage::Format_RGB888);
        picture.fill(Qt::darkCyan);
        ASSERT_TRUE(picture.save(path(name), "BMP"));
        workflow::openPicture(session, path(name), {temp, nullptr, {}, {}, {}});
    }
    // Stands in for the window's render: the output is the bytes given, its path handed back.
    workflow::RenderOutput renderWriting(const QByteArray& bytes)
    {
        return [this, bytes](const workflow::RenderJob&) {
            ++renders;
            const QString output = temp + QStringLiteral("out%1.bmp").arg(renders);
            testsupport::writeFile(output, bytes);
            return output;
        };
    }
    workflow::RenderOutput renderFailing()
    {
        return [this](const workflow::RenderJob&) -> QString {
            ++renders;
            throw platform::RuntimeError(platform::kInvalidPicture, QStringLiteral("ディスクがいっぱいです"));
        };
    }
    QByteArray bitmap() const { return testsupport::readFile(path("source.bmp")); }
};

// The message a call throws, or an empty text when it did not throw.
template <typename Call> QString failure(Call call)
{
    try {
        call();
    } catch (const platform::RuntimeError& e) {
        return e.text();
    }
    return {};
}

TEST_F(Commands, OpenReadsTheWholePictureAndLeavesNoTemporaryFile)
{
    opened("source.bmp");
    EXPECT_EQ(session.SourcePixels().width, 3);
    EXPECT_EQ(session.SourcePixels().height, 2);
    EXPECT_TRUE(session.OpenedFile().has_value());
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();

    const QString message = failure([&] { workflow::openPicture(session, path("missing.jpg"), {temp, nullptr, {}, {}, {}}); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("画像を開けませんでした。\n\n"))) << message.toStdString();
    EXPECT_TRUE(session.SourceTempPath().isEmpty());
    EXPECT_TRUE(leftInTemp().isEmpty());
}

TEST_F(Commands, PreviewThatCannotBeShownIsNotTakenAsPreviewed)
{
    opened("source.bmp");
    const struct {
        const char* what;
        workflow::RenderOutput render;
    } cases[] = {
        {"the render fails", renderFailing()},
        {"the output is no picture", renderWriting("not a bitmap")},
    };
    for (const auto& c : cases) {
        const QString message = failure([&] { workflow::renderPreview(session, c.render); });
        EXPECT_TRUE(message.startsWith(QStringLiteral("プレビューを作れませんでした。\n\n"))) << c.what << ": " << message.toStdString();
        EXPECT_FALSE(session.PreviewFresh()) << c.what;
    }
    const QImage shown = workflow::renderPreview(session, renderWriting(bitmap()));
    EXPECT_EQ(shown.size(), QSize(3, 2));
    EXPECT_TRUE(session.PreviewFresh());
}

TEST_F(Commands, CreateOverTheSourceWritesNothingUnlessTheUserAgrees)
{
    opened("source.bmp");
    const QByteArray original = bitmap();
    QStringList asked;
    bool answer = false;
    const workflow::CreateInputs inputs{renderWriting("filtered"), [&](const QString& text) {
        asked << text;
        return answer;
    }, nullptr, {}};

    EXPECT_FALSE(workflow::createPicture(session, path("source.bmp"), inputs));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("source.bmp")));
    EXPECT_EQ(renders, 0); // declined before anything is rendered
    EXPECT_EQ(bitmap(), original);

    answer = true;
    EXPECT_TRUE(workflow::createPicture(session, path("source.bmp"), inputs));
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(bitmap(), QByteArray("filtered"));
    EXPECT_TRUE(session.OutputTempPath().isEmpty());
    EXPECT_TRUE(leftInTemp().isEmpty()) << "the written output is deleted";
}

TEST_F(Commands, CreateThatFailsKeepsTheDestinationAndAFreshOutputForTheRetry)
{
    opened("source.bmp");
    const auto never = [](const QString&) { return false; };

    const QString unrendered = failure([&] {
        workflow::createPicture(session, path("out.bmp"), {renderFailing(), never, nullptr, {}});
    });
    EXPECT_EQ(unrendered, QStringLiteral("画像を作成できませんでした。\n\nディスクがいっぱいです"));
    EXPECT_FALSE(QFile::exists(path("out.bmp")));

    const QString unwritten = failure([&] {
        workflow::createPicture(session, path("no-such-folder/out.bmp"), {renderWriting("filtered"), never, nullptr, {}});
    });
    EXPECT_TRUE(unwritten.startsWith(QStringLiteral("画像を作成できませんでした。out.bmp は変更されていません。\n\n")))
        << unwritten.toStdString();
    EXPECT_TRUE(session.PreviewFresh());

    // The retry copies the kept output without rendering again.
    renders = 0;
    EXPECT_TRUE(workflow::createPicture(session, path("out.bmp"), {renderFailing(), never, nullptr, {}}));
    EXPECT_EQ(renders, 0);
    EXPECT_EQ(testsupport::readFile(path("out.bmp")), QByteArray("filtered"));
}

} // namespace
