#include "platform/formats/metadata.h"

#include "platform/formats/exiv2init.h"
#include "platform/fs.h"
#include "platform/nativepath.h"

#include <algorithm>
#include <cmath>
#include <exiv2/exiv2.hpp>
#include <unistd.h>

namespace formats {
namespace {

// IFD0 tags that describe how the source file lays out its own pixels (a TIFF source's strips,
// depth and compression), or that travel as blocks of their own: they mean nothing in a new file.
constexpr const char* kSourceLayoutTags[] = {
    "Exif.Image.NewSubfileType", "Exif.Image.SubfileType", "Exif.Image.ImageWidth", "Exif.Image.ImageLength",
    "Exif.Image.BitsPerSample", "Exif.Image.Compression", "Exif.Image.PhotometricInterpretation",
    "Exif.Image.FillOrder", "Exif.Image.StripOffsets", "Exif.Image.SamplesPerPixel", "Exif.Image.RowsPerStrip",
    "Exif.Image.StripByteCounts", "Exif.Image.PlanarConfiguration", "Exif.Image.Predictor", "Exif.Image.TileWidth",
    "Exif.Image.TileLength", "Exif.Image.TileOffsets", "Exif.Image.TileByteCounts", "Exif.Image.SubIFDs",
    "Exif.Image.ExtraSamples", "Exif.Image.SampleFormat", "Exif.Image.JPEGTables", "Exif.Image.YCbCrSubSampling",
    "Exif.Image.JPEGInterchangeFormat", "Exif.Image.JPEGInterchangeFormatLength", "Exif.Image.InterColorProfile",
    "Exif.Image.XMLPacket", "Exif.Image.IPTCNAA", "Exif.Image.ImageResources",
};

// A JPEG segment holds 65533 bytes; "Exif\0\0" takes six of them. A larger block (a maker note
// gone wild) loses its maker note so that every format can carry the rest.
constexpr std::size_t kMaxExifBytes = 65533 - 6;

std::vector<std::uint8_t> bytesOf(const Exiv2::byte* data, long size)
{
    return size > 0 ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> encodeExif(const Exiv2::ExifData& exif, Exiv2::ByteOrder order)
{
    if (exif.empty())
        return {};
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : order, exif);
    return {blob.begin(), blob.end()};
}

void eraseKey(Exiv2::ExifData& exif, const char* key)
{
    const auto pos = exif.findKey(Exiv2::ExifKey(key));
    if (pos != exif.end())
        exif.erase(pos);
}

void eraseMakerNote(Exiv2::ExifData& exif)
{
    for (auto it = exif.begin(); it != exif.end();) {
        if (Exiv2::ExifTags::isMakerGroup(it->groupName()) || it->key() == "Exif.Photo.MakerNote"
            || it->groupName() == "MakerNote")
            it = exif.erase(it);
        else
            ++it;
    }
}

std::optional<Resolution> exifResolution(const Exiv2::ExifData& exif)
{
    const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
    const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
    if (x == exif.end() || y == exif.end())
        return std::nullopt;
    const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
    const long unitValue = unit == exif.end() ? 2 : unit->toLong(); // inches when not stated
    const double rx = x->toFloat(), ry = y->toFloat();
    if ((unitValue != 2 && unitValue != 3) || !(rx > 0) || !(ry > 0) || !std::isfinite(rx) || !std::isfinite(ry))
        return std::nullopt;
    return Resolution{rx, ry, unitValue == 3};
}

// Sets key to value where the block already has it; true when something changed.
template <typename Data, typename Key>
bool replaceIfPresent(Data& data, const char* key, const std::string& value)
{
    const auto pos = data.findKey(Key(key));
    if (pos == data.end() || pos->toString() == value)
        return false;
    pos->setValue(value);
    return true;
}

// The profile is kept when it describes RGB data, the model of every created picture.
bool isRgbProfile(const std::vector<std::uint8_t>& icc)
{
    return icc.size() >= 128 && std::equal(icc.begin() + 16, icc.begin() + 20, "RGB ");
}

} // namespace

std::optional<Resolution> statedResolution(const QImage& picture)
{
    if (picture.isNull())
        return std::nullopt;
    return statedResolution(picture.dotsPerMeterX(), picture.dotsPerMeterY());
}

std::optional<Resolution> statedResolution(int dotsPerMeterX, int dotsPerMeterY)
{
    const QImage plain(1, 1, QImage::Format_RGB32);
    if (dotsPerMeterX == plain.dotsPerMeterX() && dotsPerMeterY == plain.dotsPerMeterY())
        return std::nullopt;
    if (dotsPerMeterX <= 0 || dotsPerMeterY <= 0)
        return std::nullopt;
    // Decoders keep whole dots per metre; the hundredth of an inch gives the stated figure back.
    auto perInch = [](int dotsPerMetre) { return std::round(dotsPerMetre * 0.0254 * 100) / 100; };
    return Resolution{perInch(dotsPerMeterX), perInch(dotsPerMeterY), false};
}

PhotoMetadata readPhotoMetadata(const QString& path)
{
    PhotoMetadata m;
    // Opened as a regular file first, so that a pipe or device is never handed to exiv2.
    const int fd = platform::fs::openRegularForReading(platform::nativePathString(path));
    if (fd < 0)
        return m;
    useExiv2();
    try {
        const std::string name = ::access("/proc/self/fd", X_OK) == 0 ? "/proc/self/fd/" + std::to_string(fd)
                                                                        : platform::nativePathString(path);
        auto image = Exiv2::ImageFactory::open(name, false);
        image->readMetadata();

        Exiv2::ExifData& exif = image->exifData();
        for (const char* key : kSourceLayoutTags)
            eraseKey(exif, key);
        for (auto it = exif.begin(); it != exif.end();)
            it = it->groupName().rfind("SubImage", 0) == 0 ? exif.erase(it) : std::next(it);
        m.resolution = exifResolution(exif);
        m.exif = encodeExif(exif, image->byteOrder());
        m.xmp = image->xmpPacket();
        if (!image->iptcData().empty()) {
            const Exiv2::DataBuf iptc = Exiv2::IptcParser::encode(image->iptcData());
            m.iptc = bytesOf(iptc.pData_, iptc.size_);
        }
        if (image->iccProfileDefined())
            m.icc = bytesOf(image->iccProfile()->pData_, image->iccProfile()->size_);
    } catch (const std::exception&) {
        // exiv2 does not know the format, or finds its metadata damaged: the picture has none.
    }
    ::close(fd);
    return m;
}

PhotoMetadata metadataForOutput(const PhotoMetadata& source, int width, int height)
{
    useExiv2();
    PhotoMetadata out = source;
    if (!isRgbProfile(out.icc))
        out.icc.clear();
    const std::string w = std::to_string(width), h = std::to_string(height);

    if (!source.exif.empty()) {
        try {
            Exiv2::ExifData exif;
            const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(exif, source.exif.data(), uint32_t(source.exif.size()));
            replaceIfPresent<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Orientation", "1");
            replaceIfPresent<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Photo.PixelXDimension", w);
            replaceIfPresent<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Photo.PixelYDimension", h);
            // The thumbnail shows the photo before the filter.
            Exiv2::ExifThumb(exif).erase();
            out.exif = encodeExif(exif, order);
            if (out.exif.size() > kMaxExifBytes) {
                eraseMakerNote(exif);
                out.exif = encodeExif(exif, order);
            }
            if (out.exif.size() > kMaxExifBytes)
                out.exif.clear();
        } catch (const std::exception&) {
            out.exif.clear();
        }
    }

    if (!source.xmp.empty()) {
        try {
            Exiv2::XmpData xmp;
            if (Exiv2::XmpParser::decode(xmp, source.xmp) == 0) {
                bool changed = replaceIfPresent<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.Orientation", "1");
                changed |= replaceIfPresent<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.exif.PixelXDimension", w);
                changed |= replaceIfPresent<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.exif.PixelYDimension", h);
                changed |= replaceIfPresent<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.ImageWidth", w);
                changed |= replaceIfPresent<Exiv2::XmpData, Exiv2::XmpKey>(xmp, "Xmp.tiff.ImageLength", h);
                if (changed && Exiv2::XmpParser::encode(out.xmp, xmp) != 0)
                    out.xmp = source.xmp;
            }
        } catch (const std::exception&) {
            // An XMP packet exiv2 cannot parse travels as it came.
        }
    }
    return out;
}

std::vector<std::uint8_t> photoshopResourceOf(const std::vector<std::uint8_t>& iptc)
{
    std::vector<std::uint8_t> irb = {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0};
    const auto n = std::uint32_t(iptc.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        irb.push_back(std::uint8_t(n >> shift));
    irb.insert(irb.end(), iptc.begin(), iptc.end());
    if (n % 2)
        irb.push_back(0);
    return irb;
}

std::string xmpWithIptc(const PhotoMetadata& metadata)
{
    if (metadata.iptc.empty())
        return metadata.xmp;
    useExiv2();
    try {
        Exiv2::IptcData iptc;
        if (Exiv2::IptcParser::decode(iptc, metadata.iptc.data(), uint32_t(metadata.iptc.size())) != 0)
            return metadata.xmp;
        Exiv2::XmpData xmp;
        if (!metadata.xmp.empty() && Exiv2::XmpParser::decode(xmp, metadata.xmp) != 0)
            return metadata.xmp;
        Exiv2::copyIptcToXmp(iptc, xmp);
        std::string packet;
        return Exiv2::XmpParser::encode(packet, xmp) == 0 ? packet : metadata.xmp;
    } catch (const std::exception&) {
        return metadata.xmp;
    }
}

} // namespace formats
