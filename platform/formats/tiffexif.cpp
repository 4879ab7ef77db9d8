#include "platform/formats/tiffexif.h"

#include "platform/formats/exiv2init.h"

#include <algorithm>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <string>

namespace formats {
namespace {

// Main-directory tags that describe the photo: description, make, model, software, date, artist,
// host computer, copyright. The rest of EXIF's IFD0 either describes the source file's layout or
// is set by the writer itself.
constexpr std::uint16_t kDescriptiveTags[] = {270, 271, 272, 305, 306, 315, 316, 33432};

// EXIF tags that cannot be copied as values: the maker note's inner offsets point into the
// source file, and the interoperability pointer names a directory of the source.
constexpr std::uint16_t kMakerNote = 0x927c;
constexpr std::uint16_t kInteroperabilityPointer = 0xa005;

Exiv2::ExifData decode(const std::vector<std::uint8_t>& exif)
{
    Exiv2::ExifData data;
    if (exif.empty())
        return data;
    useExiv2();
    try {
        Exiv2::ExifParser::decode(data, exif.data(), std::uint32_t(exif.size()));
    } catch (const std::exception&) {
        data.clear();
    }
    return data;
}

bool isReal(TIFFDataType type)
{
    return type == TIFF_RATIONAL || type == TIFF_SRATIONAL || type == TIFF_FLOAT || type == TIFF_DOUBLE;
}

// A real value at full precision: a rational as its own quotient (exiv2's toFloat goes through
// float, which libtiff would then turn into another fraction).
double realValue(const Exiv2::Exifdatum& d, long i)
{
    if (d.typeId() == Exiv2::unsignedRational || d.typeId() == Exiv2::signedRational) {
        const Exiv2::Rational r = d.toRational(i);
        return r.second == 0 ? 0.0 : double(r.first) / double(r.second);
    }
    return d.toFloat(i);
}

// The values as libtiff's set form holds them: an array of elements of elementSize bytes.
std::vector<std::uint8_t> elements(const Exiv2::Exifdatum& d, TIFFDataType type, int elementSize, long count)
{
    std::vector<std::uint8_t> out(std::size_t(count) * std::size_t(elementSize));
    for (long i = 0; i < count; ++i) {
        std::uint8_t* at = out.data() + std::size_t(i) * std::size_t(elementSize);
        if (isReal(type)) {
            const double v = realValue(d, i);
            if (elementSize == 8)
                std::memcpy(at, &v, 8);
            else {
                const float f = float(v);
                std::memcpy(at, &f, 4);
            }
        } else {
            const std::int64_t v = d.toLong(i);
            switch (elementSize) {
            case 1: *at = std::uint8_t(v); break;
            case 2: { const auto s = std::uint16_t(v); std::memcpy(at, &s, 2); break; }
            case 4: { const auto s = std::uint32_t(v); std::memcpy(at, &s, 4); break; }
            default: { const auto s = std::uint64_t(v); std::memcpy(at, &s, 8); break; }
            }
        }
    }
    return out;
}

// Sets one tag of the current directory from an exiv2 value, in the form libtiff's field
// definition asks for: a text, a single value, a fixed-size array, or a count and an array. A tag
// libtiff does not know, or a value of another count than a fixed-size field holds, is left out.
bool setField(TIFF* tif, const Exiv2::Exifdatum& d)
{
    const TIFFField* field = TIFFFindField(tif, d.tag(), TIFF_ANY);
    if (!field || d.count() <= 0)
        return false;
    const std::uint32_t tag = d.tag();
    const TIFFDataType type = TIFFFieldDataType(field);
    if (type == TIFF_ASCII) {
        const std::string text = d.toString();
        return TIFFSetField(tif, tag, text.c_str()) == 1;
    }
    const int elementSize = TIFFFieldSetGetSize(field);
    if (elementSize <= 0)
        return false;
    const long count = d.count();
    if (TIFFFieldPassCount(field)) {
        const std::vector<std::uint8_t> values = elements(d, type, elementSize, count);
        if (TIFFFieldSetGetCountSize(field) == 2)
            return count <= 65535 && TIFFSetField(tif, tag, int(count), values.data()) == 1;
        return TIFFSetField(tif, tag, std::uint32_t(count), values.data()) == 1;
    }
    const int fixed = TIFFFieldWriteCount(field);
    if (fixed == 1 && count == 1) {
        if (isReal(type))
            return TIFFSetField(tif, tag, realValue(d, 0)) == 1;
        if (elementSize == 8)
            return TIFFSetField(tif, tag, std::uint64_t(d.toLong(0))) == 1;
        if (elementSize == 4)
            return TIFFSetField(tif, tag, std::uint32_t(d.toLong(0))) == 1;
        return TIFFSetField(tif, tag, int(d.toLong(0))) == 1;
    }
    if (fixed > 1 && count == fixed) {
        const std::vector<std::uint8_t> values = elements(d, type, elementSize, count);
        return TIFFSetField(tif, tag, values.data()) == 1;
    }
    return false;
}

// Writes one custom directory with the datums of group; 0 when the group is empty.
bool writeDirectory(TIFF* tif, const Exiv2::ExifData& data, const char* group, int (*create)(TIFF*),
    std::uint64_t& offset)
{
    offset = 0;
    const bool any = std::any_of(data.begin(), data.end(), [&](const Exiv2::Exifdatum& d) { return d.groupName() == group; });
    if (!any)
        return true;
    if (create(tif) != 0)
        return false;
    for (const Exiv2::Exifdatum& d : data)
        if (d.groupName() == group && d.tag() != kMakerNote && d.tag() != kInteroperabilityPointer)
            setField(tif, d);
    const bool written = TIFFWriteCustomDirectory(tif, &offset) == 1;
    TIFFFreeDirectory(tif); // the next directory set up does not free this one's values
    return written;
}

} // namespace

bool writeExifDirectories(TIFF* tif, const std::vector<std::uint8_t>& exif, ExifDirectories& written)
{
    const Exiv2::ExifData data = decode(exif);
    if (data.empty())
        return true;
    if (!writeDirectory(tif, data, "Photo", &TIFFCreateEXIFDirectory, written.exif)
        || !writeDirectory(tif, data, "GPSInfo", &TIFFCreateGPSDirectory, written.gps))
        return false;
    // Back to a fresh main directory for the picture itself.
    TIFFCreateDirectory(tif);
    return true;
}

void setDescriptiveTags(TIFF* tif, const std::vector<std::uint8_t>& exif)
{
    for (const Exiv2::Exifdatum& d : decode(exif))
        if (d.groupName() == "Image" && std::find(std::begin(kDescriptiveTags), std::end(kDescriptiveTags), d.tag()) != std::end(kDescriptiveTags))
            setField(tif, d);
}

} // namespace formats
