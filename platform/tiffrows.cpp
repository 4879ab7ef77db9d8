#include "platform/tiffrows.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"

#include <QtMath>
#include <cstring>
#include <unistd.h>
#include <vector>

#include <tiffio.h>

namespace platform {
namespace {

// libtiff's complaints are judged by the calls' results, not printed.
int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffRows : public PictureRows {
public:
    TiffRows(QString path, TIFF* tiff) : path_(std::move(path)), tiff_(tiff) {}
    ~TiffRows() override { TIFFClose(tiff_); }

    // False when this TIFF is to be read whole.
    bool start()
    {
        std::uint32_t w = 0, h = 0;
        std::uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT;
        std::uint16_t extra = 0;
        std::uint16_t* extraTypes = nullptr;
        if (TIFFIsTiled(tiff_) || !TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &h)
            || !TIFFGetFieldDefaulted(tiff_, TIFFTAG_BITSPERSAMPLE, &bits)
            || !TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLESPERPIXEL, &samples)
            || !TIFFGetField(tiff_, TIFFTAG_PHOTOMETRIC, &photometric))
            return false;
        TIFFGetField(tiff_, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetField(tiff_, TIFFTAG_ORIENTATION, &orientation);
        TIFFGetField(tiff_, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
        grey_ = photometric == PHOTOMETRIC_MINISBLACK && samples == 1;
        const bool colour = photometric == PHOTOMETRIC_RGB && samples == 3;
        if (bits != 8 || (!grey_ && !colour) || extra != 0 || planar != PLANARCONFIG_CONTIG
            || orientation != ORIENTATION_TOPLEFT)
            return false;
        if (w == 0 || h == 0 || w > unsigned(kMaxPictureSide) || h > unsigned(kMaxPictureSide))
            return false;
        if (TIFFScanlineSize64(tiff_) != std::uint64_t(w) * samples)
            return false;
        width_ = int(w);
        height_ = int(h);
        // The resolution as the whole-picture reader keeps it: whole dots per metre, rounded.
        std::uint16_t unit = RESUNIT_NONE;
        float x = 0, y = 0;
        if (TIFFGetField(tiff_, TIFFTAG_RESOLUTIONUNIT, &unit) && TIFFGetField(tiff_, TIFFTAG_XRESOLUTION, &x)
            && TIFFGetField(tiff_, TIFFTAG_YRESOLUTION, &y)) {
            if (unit == RESUNIT_CENTIMETER)
                dotsPerMetre_ = QSize(qRound(x * 100), qRound(y * 100));
            else if (unit == RESUNIT_INCH)
                dotsPerMetre_ = QSize(qRound(x * (100 / 2.54)), qRound(y * (100 / 2.54)));
        }
        decoded_.resize(std::size_t(width_) * samples);
        row_.resize(std::size_t(width_) * 3);
        return true;
    }

    const std::uint8_t* nextRow() override
    {
        if (TIFFReadScanline(tiff_, decoded_.data(), std::uint32_t(next_++), 0) < 0)
            throw RuntimeError(kInvalidPicture, QStringLiteral("%1: %2").arg(shownPath(path_), damagedPictureMessage()));
        if (grey_) {
            rows::greyToBgr(decoded_.data(), row_.data(), width_);
            return row_.data();
        }
        for (int x = 0; x < width_; ++x) { // red, green, blue to blue, green, red
            const std::uint8_t* s = &decoded_[std::size_t(x) * 3];
            std::uint8_t* p = &row_[std::size_t(x) * 3];
            p[0] = s[2];
            p[1] = s[1];
            p[2] = s[0];
        }
        return row_.data();
    }

    void finish() override {}

private:
    QString path_;
    TIFF* tiff_;
    bool grey_ = false;
    int next_ = 0;
    std::vector<std::uint8_t> decoded_;
    std::vector<std::uint8_t> row_;
};

} // namespace

std::unique_ptr<PictureRows> openTiffRows(const QString& path)
{
    const int fd = rows::openWithSignature(path, {std::string_view("II*\0", 4), std::string_view("MM\0*", 4)});
    if (fd < 0)
        return nullptr;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tiff = TIFFFdOpenExt(fd, nativePathString(path).c_str(), "rm", options); // read, not mapped
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        ::close(fd);
        return nullptr;
    }
    auto rows = std::make_unique<TiffRows>(path, tiff); // closes fd with the TIFF
    if (!rows->start())
        return nullptr;
    return rows;
}

} // namespace platform
