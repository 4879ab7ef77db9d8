#include "platform/formats/format.h"

#include <array>
#include <utility>

namespace formats {
namespace {

// Every extension that names a format other than the bitmap, first the one given to new files.
constexpr std::array<std::pair<const char*, Format>, 6> kExtensions{{
    {"jpg", Format::Jpeg},
    {"jpeg", Format::Jpeg},
    {"png", Format::Png},
    {"tif", Format::Tiff},
    {"tiff", Format::Tiff},
    {"webp", Format::WebP},
}};

// WebP stores each side in 14 bits; the others go past the largest picture the system handles.
constexpr int kWebPMaxSide = 16383;
constexpr int kJpegMaxSide = 65500;

} // namespace

Format formatOf(const QString& path)
{
    for (const auto& [extension, format] : kExtensions)
        if (path.endsWith(QLatin1Char('.') + QLatin1String(extension), Qt::CaseInsensitive))
            return format;
    return Format::Bitmap;
}

QString extensionOf(Format format)
{
    if (format == Format::Bitmap)
        return QStringLiteral("bmp");
    for (const auto& [extension, f] : kExtensions)
        if (f == format)
            return QLatin1String(extension);
    return {};
}

QString nameOf(Format format)
{
    switch (format) {
    case Format::Jpeg: return QStringLiteral("JPEG");
    case Format::Png: return QStringLiteral("PNG");
    case Format::Tiff: return QStringLiteral("TIFF");
    case Format::WebP: return QStringLiteral("WebP");
    case Format::Bitmap: break;
    }
    return QStringLiteral("ビットマップ");
}

std::optional<Format> formatNamed(const QString& extension)
{
    if (extension.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        return Format::Bitmap;
    for (const auto& [name, format] : kExtensions)
        if (extension.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

int maxSideOf(Format format)
{
    switch (format) {
    case Format::WebP: return kWebPMaxSide;
    case Format::Jpeg: return kJpegMaxSide;
    default: return INT32_MAX;
    }
}

QString sizeProblem(Format format, int width, int height)
{
    const int limit = maxSideOf(format);
    if (width <= limit && height <= limit)
        return {};
    return QStringLiteral("%1 x %2 の画像は %3 では保存できません (縦横とも %4 ピクセルまで)。ほかの形式を選んでください")
        .arg(width).arg(height).arg(nameOf(format)).arg(limit);
}

int jpegQualityFromSetting(const QString& stored)
{
    bool ok = false;
    const int quality = stored.trimmed().toInt(&ok);
    return ok && quality >= 1 && quality <= 100 ? quality : kDefaultJpegQuality;
}

} // namespace formats
