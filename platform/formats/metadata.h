#pragma once
// A photo's metadata as it travels from the source file to a created one: the EXIF, XMP and IPTC
// blocks (read and rebuilt with exiv2), the ICC colour profile as the source holds it, and the
// resolution. Plain bytes, so that it is copied and kept as easily as a path.

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace formats {

struct Resolution {
    double x = 0, y = 0;   // dots per unit
    bool perCentimetre = false; // else per inch
    double dotsPerMetreX() const { return perCentimetre ? x * 100 : x / 0.0254; }
    double dotsPerMetreY() const { return perCentimetre ? y * 100 : y / 0.0254; }
    bool operator==(const Resolution&) const = default;
};

struct PhotoMetadata {
    std::vector<std::uint8_t> exif; // TIFF-structured ("II*" or "MM*"), as after "Exif\0\0"
    std::string xmp;                // the XMP packet
    std::vector<std::uint8_t> iptc; // IPTC IIM datasets
    std::vector<std::uint8_t> icc;  // the ICC profile, byte for byte
    std::optional<Resolution> resolution;

    bool empty() const { return exif.empty() && xmp.empty() && iptc.empty() && icc.empty() && !resolution; }
};

// What the picture file at path carries. A file exiv2 cannot read, or that holds nothing, gives
// empty metadata: the picture opens all the same. The resolution is the EXIF data's; a caller
// that decoded the picture may fill in what its file stated (statedResolution) when there is none.
PhotoMetadata readPhotoMetadata(const QString& path);

// The metadata for a created picture of width x height whose pixels stand upright: the
// orientation 1, the embedded thumbnail (of the unfiltered photo) dropped, the pixel dimensions
// those of the picture, tags that describe the source file's own layout removed. A profile for
// another colour model than RGB is dropped, since the created picture is RGB.
PhotoMetadata metadataForOutput(const PhotoMetadata& source, int width, int height);

// The IPTC datasets merged into the XMP packet, for a format that has no place for IPTC (WebP).
std::string xmpWithIptc(const PhotoMetadata& metadata);

// IPTC datasets as Photoshop keeps them, the form JPEG's APP13 segment and PNG's raw profile take:
// one image resource block, "8BIM", id 0x0404, an empty name, the length, the data padded to even.
std::vector<std::uint8_t> photoshopResourceOf(const std::vector<std::uint8_t>& iptc);

// The resolution a decoded picture's file stated, or nothing when the decoder left its default.
std::optional<Resolution> statedResolution(const QImage& picture);
// The same from a picture's dots per metre, for a picture read a row at a time.
std::optional<Resolution> statedResolution(int dotsPerMeterX, int dotsPerMeterY);

} // namespace formats
