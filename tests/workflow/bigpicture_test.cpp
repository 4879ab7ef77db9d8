// A phone's 200-megapixel photo in the window: it opens, previews and is created at its own size,
// on a machine with the memory to hold it.

#include "road.h"

#include "platform/picturebudget.h"
#include "tests/support/bigjpeg.h"

namespace {

struct BigPicture : RoadFixture {};

TEST_F(BigPicture, A200MegapixelPhotoOpensPreviewsAndIsCreated)
{
    // The window holds the grid, the decoded picture while it opens, and the preview.
    const std::int64_t needed = platform::wholePictureBytes(testsupport::kBigWidth, testsupport::kBigHeight) * 2;
    if (platform::pictureMemoryBudget() < needed)
        GTEST_SKIP() << "this machine has " << platform::pictureMemoryBudget() / (1 << 20) << " MB to give a picture, "
                     << needed / (1 << 20) << " MB are needed";
    frmMain& w = open();
    const QString path = pictures + QStringLiteral("200mp.jpg");
    ASSERT_TRUE(testsupport::writeBigJpeg(path));

    browse(path);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w.session().SourcePixels().width, testsupport::kBigWidth);
    EXPECT_EQ(w.session().SourcePixels().height, testsupport::kBigHeight);

    w.optFilt[1]->click(); // sepia
    w.cmdPrev->click();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w.mxbPrv->Max(), testsupport::kBigHeight);
    EXPECT_EQ(testsupport::checkBigSepiaRows(w.session().OutputTempPath()).toStdString(), "");

    create(pictures + QStringLiteral("out.bmp"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(testsupport::checkBigSepiaRows(pictures + QStringLiteral("out.bmp")).toStdString(), "");
}

} // namespace
