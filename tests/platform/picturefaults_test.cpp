// Pictures that are damaged, lie about their size or would decode too large are refused clearly.

#include "platform/errors.h"
#include "platform/picture.h"
#include "platform/picturebudget.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using platform::RuntimeError;

namespace {

struct PictureFaultTest : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("picture")); }
    // The error's number and text for these bytes, {0, ""} when they load.
    std::pair<int, QString> outcome(const QByteArray& bytes) const
    {
        testsupport::writeFile(path(), bytes);
        try {
            platform::loadPicture(path());
        } catch (const RuntimeError& e) {
            return {e.number(), e.text().mid(path().size() + 2)};
        }
        return {0, {}};
    }
    static QImage noise(int w, int h)
    {
        QImage img(w, h, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245u + 12345u;
                img.setPixel(x, y, seed >> 8);
            }
        return img;
    }
};

const QString kDamaged = QStringLiteral("ファイルが壊れています (画像のデータが欠けているか、正しくありません)");

// Damage the decoder itself notices, but that Qt's readers pass over with a picture.
TEST_F(PictureFaultTest, DataTheDecoderFindsDamagedIsRefused)
{
    const QByteArray jpeg = testsupport::encoded(noise(64, 64), "JPEG");
    const QByteArray gif = testsupport::makeGif(noise(16, 16));
    ASSERT_EQ(outcome(jpeg).first, 0);
    ASSERT_EQ(outcome(gif).first, 0);

    QByteArray gap = jpeg; // entropy data with a hole: "premature end of data segment"
    gap.remove(jpeg.size() / 2, jpeg.size() / 4);
    QByteArray extra = jpeg; // stray bytes before the scan's marker
    extra.insert(jpeg.indexOf("\xFF\xDA"), QByteArray("\x12\x34\x56", 3));
    QByteArray scrambled = gif; // codes for table entries that do not exist yet
    const qsizetype data = 13 + 3 * 128 + 10; // header, palette, frame descriptor
    quint32 seed = 99;
    for (qsizetype i = data + 2; i < data + 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        scrambled[i] = char(seed >> 24);
    }
    QByteArray shortFrame = gif; // the frame claims more rows than its codes hold
    shortFrame[data - 10 + 7] = char(40);
    QByteArray badCodeSize = gif;
    badCodeSize[data] = char(12);

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {{"JPEG with a gap", gap}, {"JPEG with extra bytes", extra}, {"GIF with scrambled codes", scrambled},
        {"GIF frame short of pixels", shortFrame}, {"GIF with an impossible code size", badCodeSize}};
    for (const auto& c : cases) {
        const auto [number, text] = outcome(c.bytes);
        EXPECT_EQ(number, platform::kInvalidPicture) << c.what;
        EXPECT_EQ(text, kDamaged) << c.what;
    }
}

// Headers that lie: lengths past the end and sizes whose products overflow 64 bits if done naively.
TEST_F(PictureFaultTest, LyingHeadersGiveCleanErrors)
{
    QByteArray png = testsupport::encoded(noise(4, 4), "PNG");
    png[33] = char(0x7F); // first chunk after IHDR claims about 2 GB
    EXPECT_EQ(outcome(png), std::pair(int(platform::kInvalidPicture), QStringLiteral("ファイルが途中で切れています")));

    QByteArray bmp = testsupport::encoded(noise(4, 4), "BMP");
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = char(v >> (8 * i));
    };
    put32(18, 0x7f000040u);
    put32(22, quint32(-0x7f000030));
    EXPECT_NE(outcome(bmp).first, 0);
    bmp[28] = bmp[29] = char(0xFF); // and the largest bit count with it
    EXPECT_NE(outcome(bmp).first, 0);
}

// A picture whose decoded size passes the budget is refused before decoding, naming its size.
TEST_F(PictureFaultTest, PicturesBeyondTheMemoryBudgetAreRefusedByTheirSize)
{
    QByteArray jpeg = testsupport::encoded(noise(8, 8), "JPEG");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int at : {5, 7}) { // height, then width: 30000 each
        jpeg[sof + at] = char(30000 >> 8);
        jpeg[sof + at + 1] = char(30000 & 0xFF);
    }
    platform::setAvailableMemoryForTesting(std::int64_t(4) << 30); // 6.3 GB needed, 3 GiB to use
    const auto [number, text] = outcome(jpeg);
    EXPECT_TRUE(platform::pictureBudgetProblem(4000, 3000, 5 << 20).isEmpty()); // an ordinary photo
    platform::setAvailableMemoryForTesting(-1);
    EXPECT_EQ(number, platform::kOutOfMemory);
    EXPECT_TRUE(text.startsWith(QStringLiteral("画像が大きすぎて読み込めません (30000 x 30000 ピクセル、"))) << text.toStdString();
}

} // namespace
