#include "platform/jpegrows.h"

#include "platform/decoderwarnings.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

namespace platform {
namespace {

// EXIF orientation in the first IFD of an APP1 "Exif" block: its value, 0 when the tag is absent,
// -1 when the block cannot be followed.
int exifOrientation(const std::uint8_t* data, std::size_t size)
{
    if (size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return -1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t n = size - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return -1;
    auto get16 = [&](std::size_t at) { return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1]; };
    auto get32 = [&](std::size_t at) { return std::uint32_t(little ? get16(at) | get16(at + 2) << 16 : get16(at) << 16 | get16(at + 2)); };
    const std::uint32_t ifd = get32(4);
    if (ifd < 8 || ifd > n - 2)
        return -1;
    const int entries = get16(ifd);
    if (std::uint64_t(ifd) + 2 + std::uint64_t(entries) * 12 > n)
        return -1;
    for (int i = 0; i < entries; ++i) {
        const std::size_t e = ifd + 2 + std::size_t(i) * 12;
        if (get16(e) == 0x0112)
            return get16(e + 2) == 3 ? get16(e + 8) : -1; // a SHORT, its value in the entry
    }
    return 0;
}

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool damaged = false;
};

void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are judged as the whole-picture reader judges them: only damage to the data counts.
void emitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    if (tellsOfDamage(QString::fromLatin1(text)))
        reinterpret_cast<ErrorManager*>(cinfo->err)->damaged = true;
}

class JpegRows : public PictureRows {
public:
    JpegRows(QString path, std::FILE* file) : path_(std::move(path)), file_(file)
    {
        cinfo_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = errorExit;
        errors_.pub.emit_message = emitMessage;
    }
    ~JpegRows() override
    {
        jpeg_destroy_decompress(&cinfo_);
        std::fclose(file_);
    }

    // Reads the header and starts decoding; false when this JPEG is to be read whole.
    bool start()
    {
        if (!readHeader() || errors_.damaged || cinfo_.progressive_mode || !upright())
            return false;
        if (cinfo_.image_width > unsigned(kMaxPictureSide) || cinfo_.image_height > unsigned(kMaxPictureSide))
            return false;
        const bool grey = cinfo_.jpeg_color_space == JCS_GRAYSCALE && cinfo_.num_components == 1;
        const bool colour = (cinfo_.jpeg_color_space == JCS_YCbCr || cinfo_.jpeg_color_space == JCS_RGB)
            && cinfo_.num_components == 3;
        if (!grey && !colour)
            return false;
        cinfo_.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
        if (!startDecompress() || errors_.damaged)
            return false;
        width_ = int(cinfo_.output_width);
        height_ = int(cinfo_.output_height);
        grey_ = grey;
        // JFIF's density as the whole-picture reader keeps it: whole dots per metre, cut short.
        if (cinfo_.density_unit == 1)
            dotsPerMetre_ = QSize(int(100. * cinfo_.X_density / 2.54), int(100. * cinfo_.Y_density / 2.54));
        else if (cinfo_.density_unit == 2)
            dotsPerMetre_ = QSize(int(100. * cinfo_.X_density), int(100. * cinfo_.Y_density));
        decoded_.resize(std::size_t(width_) * (grey ? 1 : 3));
        row_.resize(std::size_t(width_) * 3);
        return true;
    }

    const std::uint8_t* nextRow() override
    {
        if (!readScanline() || errors_.damaged)
            throw damaged();
        if (!grey_)
            return decoded_.data();
        rows::greyToBgr(decoded_.data(), row_.data(), width_);
        return row_.data();
    }

    void finish() override
    {
        if (!finishDecompress() || errors_.damaged)
            throw damaged();
    }

private:
    RuntimeError damaged() const
    {
        return RuntimeError(kInvalidPicture, QStringLiteral("%1: %2").arg(shownPath(path_), damagedPictureMessage()));
    }

    // No EXIF orientation, or 1: the picture is stored upright.
    bool upright() const
    {
        int found = 0;
        for (jpeg_saved_marker_ptr m = cinfo_.marker_list; m; m = m->next) {
            if (m->marker != JPEG_APP0 + 1 || m->data_length < 6 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
                continue;
            if (found++ > 0)
                return false; // which one a reader follows is its own choice
            const int orientation = exifOrientation(m->data, m->data_length);
            if (orientation != 0 && orientation != 1)
                return false;
        }
        return true;
    }

    // libjpeg reports errors by longjmp: each call stands alone, with nothing to unwind.
    bool readHeader()
    {
        if (setjmp(errors_.jump))
            return false;
        jpeg_create_decompress(&cinfo_);
        jpeg_stdio_src(&cinfo_, file_);
        jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, 0xFFFF);
        return jpeg_read_header(&cinfo_, TRUE) == JPEG_HEADER_OK;
    }
    bool startDecompress()
    {
        if (setjmp(errors_.jump))
            return false;
        return jpeg_start_decompress(&cinfo_);
    }
    bool readScanline()
    {
        if (setjmp(errors_.jump))
            return false;
        JSAMPROW row = decoded_.data();
        return jpeg_read_scanlines(&cinfo_, &row, 1) == 1;
    }
    bool finishDecompress()
    {
        if (setjmp(errors_.jump))
            return false;
        return jpeg_finish_decompress(&cinfo_);
    }

    QString path_;
    std::FILE* file_;
    jpeg_decompress_struct cinfo_{};
    ErrorManager errors_{};
    bool grey_ = false;
    std::vector<std::uint8_t> decoded_;
    std::vector<std::uint8_t> row_;
};

} // namespace

std::unique_ptr<PictureRows> openJpegRows(const QString& path)
{
    std::FILE* file = rows::openStreamWithSignature(path, std::string_view("\xFF\xD8\xFF", 3));
    if (!file)
        return nullptr;
    auto rows = std::make_unique<JpegRows>(path, file);
    if (!rows->start())
        return nullptr;
    return rows;
}

} // namespace platform
