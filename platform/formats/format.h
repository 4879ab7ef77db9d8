#pragma once
// The picture formats a created file can take, told by the name's extension in any case: JPEG,
// PNG, TIFF and lossless WebP besides the system's own 24-bit bitmap, which every other name gets
// (a QPX name is the QPX control's and is told apart before this).

#include <QString>
#include <optional>

namespace formats {

enum class Format { Bitmap, Jpeg, Png, Tiff, WebP };

// .jpg/.jpeg, .png, .tif/.tiff and .webp in any case; every other name is a bitmap.
Format formatOf(const QString& path);

// The extension a file of the format is given, without the dot ("jpg", "tif").
QString extensionOf(Format format);

// The format's name as users know it ("JPEG", "WebP"), for messages.
QString nameOf(Format format);

// The format an extension names ("jpg", "TIFF"), or nothing.
std::optional<Format> formatNamed(const QString& extension);

// The largest width or height the format holds.
int maxSideOf(Format format);

// A Japanese reason when a width x height picture cannot be written in the format; empty when
// it can.
QString sizeProblem(Format format, int width, int height);

// JPEG quality between 1 and 100; the default, and what a stored value outside that range gives.
constexpr int kDefaultJpegQuality = 90;
int jpegQualityFromSetting(const QString& stored);

} // namespace formats
