#include "road.h"

#include "platform/qpxclient/qpxclient.h"

#include <QLineEdit>

namespace {

// Stands in for the QPX control behind its host-side contract: OpenQPX hands back the picture it
// was given, SaveQPX writes the picture as a PNG at the path. It records every call.
struct FakeQpx : platform::component::Control {
    QImage picture;
    bool saveWritesNothing = false;
    std::vector<std::pair<int, QVariantList>> calls;

    QWidget* widget() override { return nullptr; }
    QVariant invoke(int dispId, QVariantList& args) override
    {
        calls.emplace_back(dispId, args);
        if (dispId == 0x60030001) // OpenQPX
            return QVariant::fromValue(picture);
        if (!saveWritesNothing)
            args[0].value<QImage>().save(args[1].toString(), "PNG");
        return -1;
    }
};

using Qpx = RoadFixture;

TEST(QpxPath, OnlyTheLastFourCharactersDecide)
{
    for (const char* yes : {"a.qpx", "a.Qpx", "/p/a.QPX", ".QPX"})
        EXPECT_TRUE(qpxclient::isQpxPath(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"photo.jpeg", "a.QPX.bmp", "a.qpx ", "QPX", "a.lzh"})
        EXPECT_FALSE(qpxclient::isQpxPath(QString::fromLatin1(no))) << no;
}

TEST_F(Qpx, QpxNamesGoToTheControlAndOtherNamesToTheLoader)
{
    frmMain& w = open();
    auto fake = std::make_unique<FakeQpx>();
    FakeQpx& qpx = *fake;
    w.qpxFile = std::move(fake);
    qpx.picture = sample(9, 6);

    const QString archive = pictures + QStringLiteral("sea.Qpx");
    QFile(archive).open(QIODevice::WriteOnly);
    browse(archive);
    ASSERT_EQ(qpx.calls.size(), 1u);
    EXPECT_EQ(qpx.calls[0].first, 0x60030001);
    EXPECT_EQ(qpx.calls[0].second, QVariantList{archive});
    EXPECT_EQ(w.picSrc->size(), QSize(9, 6));
    EXPECT_EQ(w.txtFile->text(), archive);

    browse(write(QStringLiteral("png"), QStringLiteral("a.QPX.png")));
    EXPECT_EQ(qpx.calls.size(), 1u) << "a.QPX.png is a PNG";

    w.cmdPrev->click();
    const QImage previewed = platform::loadPicture(w.session().OutputTempPath());
    create(pictures + QStringLiteral("out.qpx"));
    ASSERT_EQ(qpx.calls.size(), 2u);
    EXPECT_EQ(qpx.calls[1].first, 0x60030000);
    EXPECT_EQ(qpx.calls[1].second.value(0).value<QImage>().convertToFormat(QImage::Format_RGB32),
        previewed.convertToFormat(QImage::Format_RGB32)) << "the output bitmap as a picture";
    EXPECT_EQ(qpx.calls[1].second.value(1).toString(), pictures + QStringLiteral("out.qpx"));
    EXPECT_TRUE(w.session().OutputTempPath().isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(Qpx, NoPictureFromTheControlKeepsThePreviousSource)
{
    frmMain& w = open();
    auto fake = std::make_unique<FakeQpx>();
    w.qpxFile = std::move(fake);
    const QString good = write(QStringLiteral("bmp"));
    browse(good);
    browse(pictures + QStringLiteral("none.qpx"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(w.txtFile->text(), good);
    EXPECT_EQ(w.picSrc->size(), sample().size());
}

TEST_F(Qpx, ASaveThatWroteNothingKeepsTheOutputForARetry)
{
    frmMain& w = open();
    auto fake = std::make_unique<FakeQpx>();
    fake->saveWritesNothing = true;
    w.qpxFile = std::move(fake);
    browse(write(QStringLiteral("bmp")));
    create(pictures + QStringLiteral("out.qpx"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(QFile::exists(w.session().OutputTempPath()));
    EXPECT_TRUE(w.session().PreviewFresh());
}

TEST_F(Qpx, WithoutTheControlQpxNamesGetAClearMessage)
{
    frmMain& w = open();
    const QString good = write(QStringLiteral("bmp"));
    browse(good);
    browse(pictures + QStringLiteral("sea.qpx"));
    create(pictures + QStringLiteral("out.QPX"));
    ASSERT_EQ(messages.size(), 2);
    for (const QString& m : messages)
        EXPECT_TRUE(m.contains(QStringLiteral("QPX ファイル"))) << m.toStdString();
    EXPECT_EQ(w.txtFile->text(), good);
    EXPECT_FALSE(QFile::exists(pictures + QStringLiteral("out.QPX")));
    EXPECT_TRUE(QFile::exists(w.session().OutputTempPath()));
}

} // namespace
