// The output bitmap read back as a picture: rows bottom-up into the picture's top-down lines,
// padding skipped, and a cut file refused with the file's name.

#include "platform/bmp24.h"
#include "platform/errors.h"
#include "tests/support/files.h"
#include "velmor/workflow/outputpicture.h"

#include <QTemporaryDir>

namespace {

QByteArray bitmap(int width, int height, const QByteArray& rows)
{
    const auto h = platform::bmp24::header(width, height);
    return QByteArray(reinterpret_cast<const char*>(h.data()), qsizetype(h.size())) + rows;
}

TEST(OutputPicture, BottomRowFirstAndPaddingSkipped)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    // 1 x 2: the bottom row blue 1, green 2, red 3, then the top row 4, 5, 6; one padding byte each.
    testsupport::writeFile(path, bitmap(1, 2, QByteArray("\x01\x02\x03\x00\x04\x05\x06\x00", 8)));
    const QImage picture = workflow::loadOutputPicture(path);
    ASSERT_EQ(picture.size(), QSize(1, 2));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(6, 5, 4));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(3, 2, 1));
}

TEST(OutputPicture, ACutFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.bmp"));
    for (const QByteArray& rows : {QByteArray("\x01\x02\x03\x00\x04\x05", 6), QByteArray("\x01\x02\x03\x00\x04\x05\x06", 7)}) {
        testsupport::writeFile(path, bitmap(1, 2, rows));
        try {
            workflow::loadOutputPicture(path);
            ADD_FAILURE() << "a cut file of " << rows.size() << " row bytes was read";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), platform::kInvalidPicture);
            EXPECT_EQ(e.text(), path + QStringLiteral(": ファイルが途中で切れています"));
        }
    }
}

} // namespace
