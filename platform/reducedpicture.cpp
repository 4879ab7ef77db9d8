#include "platform/reducedpicture.h"

#include "platform/decoderwarnings.h"
#include "platform/fs.h"
#include "platform/picture.h"
#include "platform/picturebudget.h"

#include <QFile>
#include <QImageReader>
#include <unistd.h>

namespace platform {
namespace {

// Smaller photos decode whole in about a tenth of a second: a first view would only add to that.
constexpr qint64 kWorthReducing = 4'000'000;

} // namespace

ReducedPicture loadReducedPicture(const QString& path, QSize atLeast)
{
    // A pipe, device or folder is not opened, as for the whole decode.
    const int fd = fs::openRegularForReading(QFile::encodeName(path).toStdString());
    if (fd < 0)
        return {};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (reader.format() != "jpeg")
        return {};
    // The stored size: DCT scaling works on it, before the picture is turned upright.
    const QSize stored = reader.size();
    if (!stored.isValid() || qint64(stored.width()) * stored.height() < kWorthReducing || stored.width() > kMaxPictureSide
        || stored.height() > kMaxPictureSide || !pictureBudgetProblem(stored.width(), stored.height(), file.size()).isEmpty())
        return {};
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize upright = turned ? stored.transposed() : stored;
    int factor = 1;
    while (factor < 8 && (upright.width() + 2 * factor - 1) / (2 * factor) >= atLeast.width()
        && (upright.height() + 2 * factor - 1) / (2 * factor) >= atLeast.height())
        factor *= 2;
    if (factor == 1)
        return {};
    // Exactly what libjpeg gives at 1/factor (sides rounded up), so that Qt does no scaling of its own.
    reader.setScaledSize(QSize((stored.width() + factor - 1) / factor, (stored.height() + factor - 1) / factor));
    const DecoderWarnings warnings;
    QImage picture = reader.read();
    if (picture.isNull() || !warnings.first().isEmpty())
        return {};
    return {std::move(picture), upright};
}

} // namespace platform
