// Create asks before it writes over the picture the source was opened from, by any name.
#include "road.h"

#include "velmor/workflow/sourceguard.h"

namespace {

struct ReplaceSource : RoadFixture {
    QStringList asked;
    bool answer = false;

    void SetUp() override
    {
        workflow::setReplaceQuestion([this](const QString& text) {
            asked << text;
            return answer;
        });
    }
    void TearDown() override { workflow::setReplaceQuestion({}); }
};

TEST_F(ReplaceSource, CreateOverTheSourceAsksAndWritesOnlyWhenTheUserAgrees)
{
    frmMain& w = open();
    const QString photo = write(QStringLiteral("jpg"), QStringLiteral("photo.jpg"));
    const QByteArray original = testsupport::readFile(photo);
    ASSERT_TRUE(QFile::link(photo, pictures + QStringLiteral("linked.jpg")));
    browse(photo);

    for (const QString& destination : {photo, pictures + QStringLiteral("linked.jpg")}) {
        asked.clear();
        create(destination);
        ASSERT_EQ(asked.size(), 1) << destination.toStdString();
        EXPECT_TRUE(asked[0].contains(QStringLiteral("ビットマップで置き換えられ"))) << asked[0].toStdString();
        EXPECT_TRUE(asked[0].contains(QFileInfo(destination).fileName())) << asked[0].toStdString();
        EXPECT_EQ(testsupport::readFile(photo), original);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // Another destination is not asked about; agreeing replaces the source with the bitmap.
    asked.clear();
    create(pictures + QStringLiteral("other.bmp"));
    EXPECT_TRUE(asked.isEmpty());
    answer = true;
    create(photo);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(testsupport::readFile(photo), testsupport::readFile(pictures + QStringLiteral("other.bmp")));
    EXPECT_TRUE(w.OutputTempPath.isEmpty());
}

} // namespace
