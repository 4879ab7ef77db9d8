// TIFF through libtiff: 8-bit RGB in strips, LZW with the horizontal predictor (lossless, and the
// compression every TIFF reader knows; Deflate saves 2 % at the same speed), the EXIF and GPS
// directories, the ICC profile, XMP and IPTC as the tags TIFF gives them, and the resolution.

#include "platform/formats/writers.h"

#include "platform/formats/tiffexif.h"
#include "platform/fs.h"

#include <QFile>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace formats {
namespace {

// Rows gathered into one strip: about 256 KiB before compression.
constexpr std::size_t kStripBytes = 1u << 18;

// libtiff reads and writes the file through these, by offset, so the writer's own position is
// all the state there is.
struct FileHandle {
    int fd;
    toff_t position = 0;
    int error = 0; // errno of the first failed write
    char message[256] = {};
};

tmsize_t readProc(thandle_t h, void* data, tmsize_t size)
{
    auto* f = static_cast<FileHandle*>(h);
    const ssize_t n = ::pread(f->fd, data, std::size_t(size), off_t(f->position));
    if (n > 0)
        f->position += toff_t(n);
    return n;
}

tmsize_t writeProc(thandle_t h, void* data, tmsize_t size)
{
    auto* f = static_cast<FileHandle*>(h);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    tmsize_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(f->fd, bytes + done, std::size_t(size - done), off_t(f->position));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (!f->error)
                f->error = n < 0 ? errno : ENOSPC;
            return -1;
        }
        done += n;
        f->position += toff_t(n);
    }
    return done;
}

toff_t seekProc(thandle_t h, toff_t offset, int whence)
{
    auto* f = static_cast<FileHandle*>(h);
    if (whence == SEEK_SET)
        f->position = offset;
    else if (whence == SEEK_CUR)
        f->position += offset;
    else {
        struct stat st {};
        if (::fstat(f->fd, &st) != 0)
            return toff_t(-1);
        f->position = toff_t(st.st_size) + offset;
    }
    return f->position;
}

int closeProc(thandle_t) { return 0; } // the file belongs to the caller

toff_t sizeProc(thandle_t h)
{
    struct stat st {};
    return ::fstat(static_cast<FileHandle*>(h)->fd, &st) == 0 ? toff_t(st.st_size) : 0;
}

int noMap(thandle_t, void**, toff_t*) { return 0; }
void noUnmap(thandle_t, void*, toff_t) {}

int onError(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* f = static_cast<FileHandle*>(user);
    if (!f->message[0])
        std::vsnprintf(f->message, sizeof f->message, format, args);
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffWriter : public PictureWriter {
public:
    TiffWriter(platform::fs::AtomicFile& file, int width, int height, const PhotoMetadata& metadata)
        : file_(file), handle_{file.fd()}, width_(width), height_(height),
          rowsPerStrip_(int(std::clamp<std::size_t>(kStripBytes / (std::size_t(width) * 3), 1, std::size_t(height)))),
          row_(std::size_t(width) * 3)
    {
        // libtiff goes back to the header when it is done: the file must be one it can seek in.
        const int flags = ::fcntl(file.fd(), F_GETFL);
        if (::lseek(file.fd(), 0, SEEK_CUR) < 0 || flags < 0 || (flags & O_APPEND))
            throwEncoderError(file_, Format::Tiff, QStringLiteral("パイプや追記先には書けません。通常のファイルを指定してください"));
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &handle_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &handle_);
        tif_.reset(TIFFClientOpenExt(file.target().c_str(), "wl", &handle_, readProc, writeProc, seekProc, closeProc,
            sizeProc, noMap, noUnmap, options));
        TIFFOpenOptionsFree(options);
        if (!tif_)
            fail();
        ExifDirectories exif;
        if (!writeExifDirectories(tif_.get(), metadata.exif, exif))
            fail();
        setMainDirectory(metadata, exif);
    }

    void writeRow(const std::uint8_t* bgr) override
    {
        std::uint8_t* out = row_.data();
        for (int x = 0; x < width_; ++x, bgr += 3, out += 3) {
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
        if (TIFFWriteScanline(tif_.get(), row_.data(), std::uint32_t(nextRow_++), 0) != 1)
            fail();
    }

    void finish() override
    {
        if (TIFFWriteDirectory(tif_.get()) != 1)
            fail();
        tif_.reset();
        if (handle_.error)
            fail();
    }

private:
    [[noreturn]] void fail()
    {
        if (handle_.error)
            throw std::system_error(handle_.error, std::generic_category(), file_.target());
        throwEncoderError(file_, Format::Tiff, QString::fromLocal8Bit(handle_.message));
    }

    void setMainDirectory(const PhotoMetadata& metadata, const ExifDirectories& exif)
    {
        TIFFSetField(tif_.get(), TIFFTAG_IMAGEWIDTH, std::uint32_t(width_));
        TIFFSetField(tif_.get(), TIFFTAG_IMAGELENGTH, std::uint32_t(height_));
        TIFFSetField(tif_.get(), TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif_.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif_.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif_.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif_.get(), TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(tif_.get(), TIFFTAG_ROWSPERSTRIP, std::uint32_t(rowsPerStrip_));
        TIFFSetField(tif_.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif_.get(), TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        if (metadata.resolution) {
            TIFFSetField(tif_.get(), TIFFTAG_RESOLUTIONUNIT, metadata.resolution->perCentimetre ? RESUNIT_CENTIMETER : RESUNIT_INCH);
            TIFFSetField(tif_.get(), TIFFTAG_XRESOLUTION, metadata.resolution->x);
            TIFFSetField(tif_.get(), TIFFTAG_YRESOLUTION, metadata.resolution->y);
        }
        setDescriptiveTags(tif_.get(), metadata.exif);
        if (!metadata.icc.empty())
            TIFFSetField(tif_.get(), TIFFTAG_ICCPROFILE, std::uint32_t(metadata.icc.size()), metadata.icc.data());
        if (!metadata.xmp.empty())
            TIFFSetField(tif_.get(), TIFFTAG_XMLPACKET, std::uint32_t(metadata.xmp.size()), metadata.xmp.data());
        if (!metadata.iptc.empty())
            setIptc(metadata.iptc);
        if (exif.exif)
            TIFFSetField(tif_.get(), TIFFTAG_EXIFIFD, exif.exif);
        if (exif.gps)
            TIFFSetField(tif_.get(), TIFFTAG_GPSIFD, exif.gps);
    }

    // IPTC is kept as 32-bit words by the tag's old convention; the datasets are padded to fit.
    void setIptc(const std::vector<std::uint8_t>& iptc)
    {
        const TIFFField* field = TIFFFindField(tif_.get(), TIFFTAG_RICHTIFFIPTC, TIFF_ANY);
        if (!field)
            return;
        std::vector<std::uint8_t> padded = iptc;
        padded.resize((padded.size() + 3) / 4 * 4);
        const int size = TIFFFieldSetGetSize(field);
        TIFFSetField(tif_.get(), TIFFTAG_RICHTIFFIPTC, std::uint32_t(padded.size() / std::size_t(size > 0 ? size : 1)),
            padded.data());
    }

    platform::fs::AtomicFile& file_;
    FileHandle handle_;
    int width_, height_;
    int rowsPerStrip_;
    int nextRow_ = 0;
    std::vector<std::uint8_t> row_;
    // Cleaning up an unfinished file writes what libtiff holds into it; the caller discards it.
    std::unique_ptr<TIFF, decltype(&TIFFCleanup)> tif_{nullptr, &TIFFCleanup};
};

} // namespace

std::unique_ptr<PictureWriter> makeTiffWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata)
{
    return std::make_unique<TiffWriter>(file, width, height, metadata);
}

} // namespace formats
