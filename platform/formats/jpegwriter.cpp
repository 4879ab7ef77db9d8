// JPEG through libjpeg-turbo's scanline interface: the markers after the JFIF header in the order
// cameras write them (EXIF, XMP, ICC profile, IPTC), then one row at a time.

#include "platform/formats/writers.h"

#include "platform/fs.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <exception>
#include <jpeglib.h>
#include <vector>

namespace formats {
namespace {

constexpr std::size_t kBufferBytes = 1u << 18;
// The payload of one marker segment (its length field counts itself).
constexpr std::size_t kMaxSegment = 65533;

const char kExifId[] = "Exif\0"; // with the terminator: "Exif\0\0"
const char kXmpId[] = "http://ns.adobe.com/xap/1.0/";
const char kPhotoshopId[] = "Photoshop 3.0";

class JpegWriter : public PictureWriter {
public:
    JpegWriter(platform::fs::AtomicFile& file, int width, int height, const PhotoMetadata& metadata, int quality)
        : file_(file), width_(JDIMENSION(width)), height_(JDIMENSION(height)), buffer_(kBufferBytes),
          iptcResource_(metadata.iptc.empty() ? std::vector<std::uint8_t>{} : photoshopResourceOf(metadata.iptc))
    {
        cinfo_.err = jpeg_std_error(&error_.mgr);
        error_.mgr.error_exit = &JpegWriter::onError;
        error_.mgr.output_message = [](j_common_ptr) {};
        cinfo_.client_data = this; // kept by jpeg_create_compress
        dest_.init_destination = [](j_compress_ptr c) { self(c)->resetBuffer(); };
        dest_.empty_output_buffer = &JpegWriter::onBufferFull;
        dest_.term_destination = &JpegWriter::onTerm;
        try {
            guarded([&] { start(metadata, quality); });
        } catch (...) {
            jpeg_destroy_compress(&cinfo_);
            throw;
        }
    }
    // Safe on a partly created object too: it frees what libjpeg allocated.
    ~JpegWriter() override { jpeg_destroy_compress(&cinfo_); }

    void writeRow(const std::uint8_t* bgr) override
    {
        JSAMPROW row = const_cast<JSAMPROW>(bgr); // only read
        guarded([&] { jpeg_write_scanlines(&cinfo_, &row, 1); });
    }

    void finish() override
    {
        guarded([&] { jpeg_finish_compress(&cinfo_); });
    }

private:
    struct ErrorManager {
        jpeg_error_mgr mgr;
        std::jmp_buf jump;
    };

    static JpegWriter* self(j_compress_ptr c) { return static_cast<JpegWriter*>(c->client_data); }

    // libjpeg reports failures by calling error_exit, which must not return: back to guarded().
    static void onError(j_common_ptr c)
    {
        auto* w = static_cast<JpegWriter*>(c->client_data);
        std::longjmp(w->error_.jump, 1);
    }

    // Runs a libjpeg call; its failure, or a write failure met inside it, is thrown from here.
    template <typename Call>
    void guarded(Call&& call)
    {
        if (setjmp(error_.jump)) {
            if (writeFailure_)
                std::rethrow_exception(writeFailure_);
            char text[JMSG_LENGTH_MAX] = {};
            (*cinfo_.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo_), text);
            throwEncoderError(file_, Format::Jpeg, QString::fromLocal8Bit(text));
        }
        call();
    }

    void start(const PhotoMetadata& metadata, int quality)
    {
        jpeg_create_compress(&cinfo_);
        cinfo_.dest = &dest_;
        cinfo_.image_width = width_;
        cinfo_.image_height = height_;
        cinfo_.input_components = 3;
        cinfo_.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&cinfo_);
        jpeg_set_quality(&cinfo_, quality, TRUE);
        // From quality 90 up the colour is kept at full resolution, as photo tools do: a tinted
        // picture's colour follows every detail of its grey.
        if (quality >= 90)
            for (int c = 0; c < 3; ++c)
                cinfo_.comp_info[c].h_samp_factor = cinfo_.comp_info[c].v_samp_factor = 1;
        if (metadata.resolution) {
            cinfo_.density_unit = metadata.resolution->perCentimetre ? 2 : 1;
            cinfo_.X_density = UINT16(std::clamp(std::lround(metadata.resolution->x), 1L, 65535L));
            cinfo_.Y_density = UINT16(std::clamp(std::lround(metadata.resolution->y), 1L, 65535L));
        }
        jpeg_start_compress(&cinfo_, TRUE);
        writeSegment(JPEG_APP0 + 1, kExifId, sizeof kExifId, metadata.exif.data(), metadata.exif.size());
        writeSegment(JPEG_APP0 + 1, kXmpId, sizeof kXmpId, metadata.xmp.data(), metadata.xmp.size());
        if (!metadata.icc.empty())
            jpeg_write_icc_profile(&cinfo_, metadata.icc.data(), unsigned(metadata.icc.size()));
        writeSegment(JPEG_APP0 + 13, kPhotoshopId, sizeof kPhotoshopId, iptcResource_.data(), iptcResource_.size());
    }

    // One APPn segment: the identifier with its terminator, then the data. Data too large for one
    // segment is left out (the metadata step keeps EXIF within it; XMP that large is rare).
    void writeSegment(int marker, const char* id, std::size_t idBytes, const void* data, std::size_t size)
    {
        if (size == 0 || idBytes + size > kMaxSegment)
            return;
        jpeg_write_m_header(&cinfo_, marker, unsigned(idBytes + size));
        for (std::size_t i = 0; i < idBytes; ++i)
            jpeg_write_m_byte(&cinfo_, static_cast<unsigned char>(id[i]));
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i)
            jpeg_write_m_byte(&cinfo_, bytes[i]);
    }

    void resetBuffer()
    {
        dest_.next_output_byte = buffer_.data();
        dest_.free_in_buffer = buffer_.size();
    }

    // Writes bytes to the file; a failure is kept and handed to libjpeg's error exit.
    void flush(std::size_t bytes, j_compress_ptr c)
    {
        bool failed = false;
        try {
            file_.write(buffer_.data(), bytes);
        } catch (...) {
            writeFailure_ = std::current_exception();
            failed = true;
        }
        if (failed)
            onError(reinterpret_cast<j_common_ptr>(c));
    }

    static boolean onBufferFull(j_compress_ptr c)
    {
        self(c)->flush(self(c)->buffer_.size(), c);
        self(c)->resetBuffer();
        return TRUE;
    }

    static void onTerm(j_compress_ptr c)
    {
        JpegWriter* w = self(c);
        w->flush(w->buffer_.size() - w->dest_.free_in_buffer, c);
    }

    platform::fs::AtomicFile& file_;
    JDIMENSION width_, height_;
    std::vector<JOCTET> buffer_;
    std::vector<std::uint8_t> iptcResource_; // made before libjpeg runs: its errors jump past locals
    jpeg_compress_struct cinfo_{};
    jpeg_destination_mgr dest_{};
    ErrorManager error_{};
    std::exception_ptr writeFailure_;
};

} // namespace

std::unique_ptr<PictureWriter> makeJpegWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata, int quality)
{
    return std::make_unique<JpegWriter>(file, width, height, metadata, quality);
}

} // namespace formats
