#include "platform/pngrows.h"

#include "platform/byteorder.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/nativepath.h"
#include "platform/picture.h"
#include "platform/picturecheck.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <png.h>

namespace platform {
namespace {

// Walks the chunk headers to IEND, as the whole reader's truncation check does, without reading the
// picture data: a file cut short is left to that reader and its message.
bool reachesEnd(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    const std::int64_t size = st.st_size;
    std::int64_t at = 8;
    while (at + 8 <= size) {
        std::uint8_t head[8];
        if (::pread(fd, head, 8, off_t(at)) != 8)
            return false;
        const std::int64_t length = be::get32(head);
        if (length > size - at - 8 || size - at - 8 - length < 4)
            return false;
        if (std::memcmp(head + 4, "IEND", 4) == 0)
            return true;
        at += 12 + length;
    }
    return false;
}

void quiet(png_structp, png_const_charp) {}
[[noreturn]] void fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

class PngRows : public PictureRows {
public:
    PngRows(QString path, std::FILE* file) : path_(std::move(path)), file_(file) {}
    ~PngRows() override
    {
        if (png_)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
        std::fclose(file_);
    }

    // Reads the header and starts decoding; false when this PNG is to be read whole.
    bool start()
    {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, quiet);
        if (!png_)
            return false;
        info_ = png_create_info_struct(png_);
        if (!info_ || !readHeader())
            return false;
        const int depth = png_get_bit_depth(png_, info_);
        const int type = png_get_color_type(png_, info_);
        if (depth != 8 || png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE
            || png_get_valid(png_, info_, PNG_INFO_tRNS))
            return false;
        if (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_GRAY && type != PNG_COLOR_TYPE_PALETTE)
            return false;
        const png_uint_32 w = png_get_image_width(png_, info_), h = png_get_image_height(png_, info_);
        if (w > unsigned(kMaxPictureSide) || h > unsigned(kMaxPictureSide))
            return false;
        grey_ = type == PNG_COLOR_TYPE_GRAY;
        if (type == PNG_COLOR_TYPE_PALETTE)
            png_set_palette_to_rgb(png_);
        if (!grey_)
            png_set_bgr(png_);
        if (!updateInfo())
            return false;
        width_ = int(w);
        height_ = int(h);
        png_uint_32 xRes = 0, yRes = 0;
        int unit = 0;
        if (png_get_pHYs(png_, info_, &xRes, &yRes, &unit) && unit == PNG_RESOLUTION_METER)
            dotsPerMetre_ = QSize(int(xRes), int(yRes));
        decoded_.resize(std::size_t(width_) * (grey_ ? 1 : 3));
        row_.resize(std::size_t(width_) * 3);
        return true;
    }

    const std::uint8_t* nextRow() override
    {
        if (!readRow())
            throw damaged();
        if (!grey_)
            return decoded_.data();
        rows::greyToBgr(decoded_.data(), row_.data(), width_);
        return row_.data();
    }

    void finish() override
    {
        if (!readEnd())
            throw damaged();
    }

private:
    RuntimeError damaged() const
    {
        return RuntimeError(kInvalidPicture, QStringLiteral("%1: %2").arg(shownPath(path_), damagedPictureMessage()));
    }

    // libpng reports errors by longjmp: each call stands alone, with nothing to unwind.
    bool readHeader()
    {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_init_io(png_, file_);
        png_read_info(png_, info_);
        return true;
    }
    bool updateInfo()
    {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_update_info(png_, info_);
        return png_get_rowbytes(png_, info_) == decodedBytes();
    }
    std::size_t decodedBytes() const { return std::size_t(png_get_image_width(png_, info_)) * (grey_ ? 1 : 3); }
    bool readRow()
    {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_row(png_, decoded_.data(), nullptr);
        return true;
    }
    bool readEnd()
    {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_end(png_, nullptr);
        return true;
    }

    QString path_;
    std::FILE* file_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    bool grey_ = false;
    std::vector<std::uint8_t> decoded_;
    std::vector<std::uint8_t> row_;
};

} // namespace

std::unique_ptr<PictureRows> openPngRows(const QString& path)
{
    std::FILE* file = rows::openStreamWithSignature(path, std::string_view("\x89PNG\r\n\x1a\n", 8));
    if (!file)
        return nullptr;
    auto rows = std::make_unique<PngRows>(path, file);
    if (!reachesEnd(::fileno(file)) || !rows->start())
        return nullptr;
    return rows;
}

} // namespace platform
