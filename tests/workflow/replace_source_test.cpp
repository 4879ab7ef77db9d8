// Create asks before it writes over the picture the source was opened from, by any name.
#include "road.h"

#include "velmor/shell/services.h"

namespace {

struct ReplaceSource : RoadFixture {
    QStringList asked;
    bool answer = false;

    void SetUp() override
    {
        shell::setReplaceQuestion([this](const QString& text) {
            asked << text;
            return answer;
        });
    }
    void TearDown() override { shell::setReplaceQuestion({}); }
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
        EXPECT_TRUE(asked[0].contains(QStringLiteral("フィルタをかけた JPEG 画像で置き換えられ"))) << asked[0].toStdString();
        EXPECT_TRUE(asked[0].contains(QFileInfo(destination).fileName())) << asked[0].toStdString();
        EXPECT_EQ(testsupport::readFile(photo), original);
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // Another destination is not asked about; agreeing replaces the source with the filtered JPEG.
    asked.clear();
    create(pictures + QStringLiteral("other.bmp"));
    EXPECT_TRUE(asked.isEmpty());
    answer = true;
    create(photo);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(testsupport::readFile(photo).startsWith("\xFF\xD8\xFF"));
    EXPECT_EQ(QImage(photo).size(), QImage(pictures + QStringLiteral("other.bmp")).size());
    EXPECT_TRUE(w.session().OutputTempPath().isEmpty());

    // A bitmap name says the source would become a bitmap.
    const QString bitmap = write(QStringLiteral("bmp"), QStringLiteral("photo.bmp"));
    browse(bitmap);
    asked.clear();
    answer = false;
    create(bitmap);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("フィルタをかけたビットマップで置き換えられ"))) << asked[0].toStdString();
}

TEST_F(ReplaceSource, EachWindowKnowsOnlyItsOwnSource)
{
    open();
    const QString photo = write(QStringLiteral("jpg"), QStringLiteral("photo.jpg"));
    browse(photo);
    window.reset();

    // A new window (perhaps where the old one lay in memory) has opened nothing, so nothing it
    // writes is a source; once it opens another picture, only that one is.
    open();
    const QString other = write(QStringLiteral("png"), QStringLiteral("other.png"));
    const QByteArray otherBytes = testsupport::readFile(other);
    browse(other);
    create(photo);
    EXPECT_TRUE(asked.isEmpty()) << asked.join('\n').toStdString();
    create(other);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_TRUE(testsupport::readFile(photo).startsWith("\xFF\xD8\xFF")) << "written without asking, as a JPEG";
    EXPECT_EQ(testsupport::readFile(other), otherBytes) << "refused, so untouched";
}

} // namespace
