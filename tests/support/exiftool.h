#pragma once
// What exiftool, a reader that shares no code with ours, finds in a picture file, and the camera
// photos the metadata tests read it from.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

// A real camera's photo with orientation 6, GPS and an sRGB profile; one with a thumbnail.
inline const QString kRotatedPhoto = QStringLiteral(VELMOR_SOURCE_DIR "/tests/formats/fixtures/iphone6plus-rotated.jpg");
inline const QString kThumbnailPhoto = QStringLiteral(VELMOR_SOURCE_DIR "/tests/formats/fixtures/galaxys7-thumbnail.jpg");

inline QByteArray exiftool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("exiftool"), args);
    if (!p.waitForFinished(60000))
        return {};
    return p.readAllStandardOutput();
}

// The tags by group and name ("EXIF:Make"), numbers as numbers.
inline QJsonObject tagsOf(const QString& file)
{
    const QByteArray json = exiftool({QStringLiteral("-json"), QStringLiteral("-n"), QStringLiteral("-G0"), file});
    return QJsonDocument::fromJson(json).array().at(0).toObject();
}

// The embedded ICC profile's bytes; empty when there is none.
inline QByteArray profileOf(const QString& file)
{
    return exiftool({QStringLiteral("-b"), QStringLiteral("-ICC_Profile"), file});
}

} // namespace testsupport
