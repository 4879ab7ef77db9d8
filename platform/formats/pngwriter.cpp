// PNG through libpng, one row at a time: 8-bit RGB, the ICC profile in iCCP, EXIF in eXIf, XMP in
// the iTXt chunk Adobe names, IPTC as the raw profile text chunk other photo tools read, the
// resolution in pHYs.

#include "platform/formats/writers.h"

#include "platform/fs.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <png.h>
#include <string>
#include <vector>

namespace formats {
namespace {

// zlib's fastest level with the Paeth filter on every row: a 24-megapixel photo comes within 15 %
// of the size at the default level 6 with adaptive filters, in a tenth of the time.
constexpr int kCompressionLevel = 1;
constexpr std::size_t kBufferBytes = 1u << 18;

// The form ImageMagick and exiv2 give a raw profile in a text chunk: a line with the profile's
// name, its length in eight columns, then the bytes in hexadecimal, 72 digits a line.
std::string rawProfileText(const char* name, const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = std::string("\n") + name + "\n";
    const std::string length = std::to_string(bytes.size());
    text += std::string(length.size() < 8 ? 8 - length.size() : 0, ' ') + length;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 36 == 0)
            text += '\n';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text + "\n";
}

class PngWriter : public PictureWriter {
public:
    PngWriter(platform::fs::AtomicFile& file, int width, int height, const PhotoMetadata& metadata)
        : file_(file)
    {
        buffer_.reserve(kBufferBytes);
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &PngWriter::onError, [](png_structp, png_const_charp) {});
        info_ = png_ ? png_create_info_struct(png_) : nullptr;
        if (!info_) {
            png_destroy_write_struct(&png_, nullptr);
            throw std::bad_alloc();
        }
        // Everything the chunks point at lives in members until the header is written.
        if (!metadata.iptc.empty())
            iptcText_ = rawProfileText("iptc", photoshopResourceOf(metadata.iptc));
        xmp_ = metadata.xmp;
        try {
            guarded([&] { start(width, height, metadata); });
        } catch (...) {
            png_destroy_write_struct(&png_, &info_);
            throw;
        }
    }
    ~PngWriter() override { png_destroy_write_struct(&png_, &info_); }

    // libpng copies the row before it swaps blue and red, so the caller's row stays as it was.
    void writeRow(const std::uint8_t* bgr) override
    {
        guarded([&] { png_write_row(png_, bgr); });
    }

    void finish() override
    {
        guarded([&] { png_write_end(png_, nullptr); });
        flushBuffer();
    }

private:
    template <typename Call>
    void guarded(Call&& call)
    {
        if (setjmp(png_jmpbuf(png_))) {
            if (writeFailure_)
                std::rethrow_exception(writeFailure_);
            throwEncoderError(file_, Format::Png, QString::fromLocal8Bit(message_));
        }
        call();
    }

    static void onError(png_structp png, png_const_charp message)
    {
        auto* w = static_cast<PngWriter*>(png_get_error_ptr(png));
        std::snprintf(w->message_, sizeof w->message_, "%s", message);
        png_longjmp(png, 1);
    }

    void start(int width, int height, const PhotoMetadata& metadata)
    {
        png_set_write_fn(png_, this, &PngWriter::onWrite, &PngWriter::onFlush);
        // A profile libpng finds inconsistent is left out with a warning, not a failure.
        png_set_benign_errors(png_, 1);
        png_set_IHDR(png_, info_, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
            PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png_, kCompressionLevel);
        png_set_filter(png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
        png_set_bgr(png_);
        if (!metadata.icc.empty())
            png_set_iCCP(png_, info_, "ICC profile", PNG_COMPRESSION_TYPE_BASE, metadata.icc.data(),
                png_uint_32(metadata.icc.size()));
        if (!metadata.exif.empty())
            png_set_eXIf_1(png_, info_, png_uint_32(metadata.exif.size()), const_cast<png_bytep>(metadata.exif.data()));
        if (metadata.resolution)
            png_set_pHYs(png_, info_, png_uint_32(std::lround(metadata.resolution->dotsPerMetreX())),
                png_uint_32(std::lround(metadata.resolution->dotsPerMetreY())), PNG_RESOLUTION_METER);
        png_text texts[2] = {};
        int count = 0;
        if (!xmp_.empty()) {
            texts[count].compression = PNG_ITXT_COMPRESSION_NONE;
            texts[count].key = const_cast<char*>("XML:com.adobe.xmp");
            texts[count].text = xmp_.data();
            texts[count].itxt_length = xmp_.size();
            ++count;
        }
        if (!iptcText_.empty()) {
            texts[count].compression = PNG_TEXT_COMPRESSION_zTXt;
            texts[count].key = const_cast<char*>("Raw profile type iptc");
            texts[count].text = iptcText_.data();
            texts[count].text_length = iptcText_.size();
            ++count;
        }
        if (count)
            png_set_text(png_, info_, texts, count);
        png_write_info(png_, info_);
    }

    static void onWrite(png_structp png, png_bytep data, png_size_t size)
    {
        auto* w = static_cast<PngWriter*>(png_get_io_ptr(png));
        bool failed = false;
        try {
            w->buffer_.insert(w->buffer_.end(), data, data + size);
            if (w->buffer_.size() >= kBufferBytes)
                w->flushBuffer();
        } catch (...) {
            w->writeFailure_ = std::current_exception();
            failed = true;
        }
        if (failed)
            png_longjmp(png, 1);
    }
    static void onFlush(png_structp) {}

    void flushBuffer()
    {
        file_.write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    platform::fs::AtomicFile& file_;
    std::vector<std::uint8_t> buffer_;
    std::string xmp_, iptcText_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    char message_[256] = {};
    std::exception_ptr writeFailure_;
};

} // namespace

std::unique_ptr<PictureWriter> makePngWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata)
{
    return std::make_unique<PngWriter>(file, width, height, metadata);
}

} // namespace formats
