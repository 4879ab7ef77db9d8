// At a scale factor of 2 (this suite runs with QT_SCALE_FACTOR=2) the views draw one pixel per
// device pixel: a noise photo shown smaller than its size has detail in every device pixel, not
// every logical pixel doubled.

#include "tests/shell/window_fixture.h"

#include <QPixmap>

namespace {

struct HiDpi : WindowFixture {
    HiDpi() { screenArea = QRect(0, 0, 1280, 1024); }
};

TEST_F(HiDpi, ANoisePhotoShowsNoDoubledPixels)
{
    frmMain& w = open();
    w.show();
    ASSERT_EQ(w.picSrc->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
    QImage noise(2000, 1500, QImage::Format_RGB32);
    std::uint32_t seed = 2024;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, qRgb(int(seed >> 24), int((seed >> 16) & 0xFF), int((seed >> 8) & 0xFF)));
        }
    const QString path = dir.path() + QStringLiteral("/noise.png");
    ASSERT_TRUE(noise.save(path));
    w.openPicture(path);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_LT(w.viewScale(), 0.5) << "shown smaller: each device pixel covers several picture pixels";

    for (views::PictureView* view : {w.picSrc, w.picPrev}) {
        const QImage drawn = view->grab().toImage();
        ASSERT_EQ(drawn.size(), view->size() * 2) << "the view painted at device pixels";
        EXPECT_EQ(view->displayed().pixels.size(), drawn.size());
        int doubled = 0, blocks = 0;
        for (int y = 0; y + 1 < drawn.height(); y += 2)
            for (int x = 0; x + 1 < drawn.width(); x += 2) {
                ++blocks;
                const QRgb c = drawn.pixel(x, y);
                doubled += drawn.pixel(x + 1, y) == c && drawn.pixel(x, y + 1) == c && drawn.pixel(x + 1, y + 1) == c;
            }
        EXPECT_GT(blocks, 10000);
        // The preview is one grey level a pixel, tinted: a block of four equal levels happens by
        // chance now and then, where a doubled drawing would make every block one.
        EXPECT_LE(doubled, view == w.picSrc ? 0 : blocks / 1000) << view->objectName().toStdString();
    }
}

} // namespace
