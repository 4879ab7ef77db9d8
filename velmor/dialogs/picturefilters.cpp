#include "velmor/dialogs/picturefilters.h"

#include <QImageReader>
#include <QStringList>

namespace dialogs {
namespace {

// The designed entries and the three the photos of today need, in the order the dialogs show them.
const QString kBitmap = QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp");
const QString kQpx = QStringLiteral("QPXﾌｧｲﾙ(*.qpx)|*.qpx");
const QString kJpeg = QStringLiteral("Jpegﾌｧｲﾙ(*.jpg,*.jpeg)|*.jpg;*.jpeg");
const QString kGif = QStringLiteral("GIFﾌｧｲﾙ(*.gif)|*.gif");
const QString kPng = QStringLiteral("PNGﾌｧｲﾙ(*.png)|*.png");
const QString kTiff = QStringLiteral("TIFFﾌｧｲﾙ(*.tif,*.tiff)|*.tif;*.tiff");
const QString kWebP = QStringLiteral("WebPﾌｧｲﾙ(*.webp)|*.webp");
const QString kAllFiles = QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*");

// Every extension the loader reads, the named entries' first and in their order, then the rest of
// Qt's readers (icons, Targa, the netpbm family, ...) alphabetically.
QString everyPicturePattern()
{
    QStringList extensions = {QStringLiteral("bmp"), QStringLiteral("qpx"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
        QStringLiteral("gif"), QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("webp")};
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QByteArray& format : readable) {
        const QString extension = QString::fromLatin1(format).toLower();
        if (!extensions.contains(extension) && !extension.contains(QLatin1Char('-')))
            extensions << extension;
    }
    QStringList patterns;
    for (const QString& e : extensions)
        patterns << QStringLiteral("*.") + e;
    return patterns.join(QLatin1Char(';'));
}

} // namespace

QString openPictureFilter()
{
    return QStringList{QStringLiteral("すべての画像ﾌｧｲﾙ|") + everyPicturePattern(), kBitmap, kQpx, kJpeg, kGif, kPng, kTiff,
        kWebP, kAllFiles}
        .join(QLatin1Char('|'));
}

QString savePictureFilter()
{
    return QStringList{kBitmap, kQpx, kJpeg, kPng, kTiff, kWebP, kAllFiles}.join(QLatin1Char('|'));
}

QString proposedName(const QString& sourcePath, const QString& filterCaption, const QString& extension)
{
    QString base = sourcePath.mid(sourcePath.lastIndexOf(QLatin1Char('/')) + 1); // by text, bytes kept
    if (const qsizetype dot = base.lastIndexOf(QLatin1Char('.')); dot > 0)
        base.truncate(dot);
    const QString stem = base.isEmpty() ? filterCaption : base + QLatin1Char('_') + filterCaption;
    return extension.isEmpty() ? stem : stem + QLatin1Char('.') + extension;
}

} // namespace dialogs
