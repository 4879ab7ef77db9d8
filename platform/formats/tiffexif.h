#pragma once
// EXIF data into a TIFF file through libtiff, which keeps EXIF as tags of the main directory and
// of the EXIF and GPS directories it points to, each tag in the form libtiff's field list gives.

#include <cstdint>
#include <tiffio.h>
#include <vector>

namespace formats {

struct ExifDirectories {
    std::uint64_t exif = 0; // offsets of the written directories; 0 for none
    std::uint64_t gps = 0;
};

// Writes the EXIF and GPS directories of the TIFF-structured EXIF block exif into tif, before
// the main directory is set up; the caller points the main directory at them. Returns 0 offsets
// when the block has no such tags. False when libtiff refused a directory.
bool writeExifDirectories(TIFF* tif, const std::vector<std::uint8_t>& exif, ExifDirectories& written);

// Copies the block's descriptive main-directory tags (make, model, date, software, artist,
// copyright, description) into the current directory.
void setDescriptiveTags(TIFF* tif, const std::vector<std::uint8_t>& exif);

} // namespace formats
