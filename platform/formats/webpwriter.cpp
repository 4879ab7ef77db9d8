// Lossless WebP through libwebp: the rows are gathered into the encoder's own picture, encoded
// whole at the end (the format's predictors look across the whole picture), then wrapped with the
// ICC profile, EXIF and XMP chunks. WebP has no place for IPTC: it travels inside the XMP.

#include "platform/formats/writers.h"

#include "platform/fs.h"

#include <webp/encode.h>
#include <webp/mux.h>

namespace formats {
namespace {

// libwebp's lossless preset from 0 (fastest) to 9 (smallest): from 1 up a photo comes a fifth
// smaller than at 0 (and than PNG), and the presets past 1 gain almost nothing for their time.
constexpr int kLosslessPreset = 1;

QString encoderReason(WebPEncodingError error)
{
    switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return QStringLiteral("メモリが足りません");
    case VP8_ENC_ERROR_BAD_DIMENSION: return QStringLiteral("大きさが WebP の範囲を超えています");
    default: return QStringLiteral("libwebp のエラー %1").arg(int(error));
    }
}

class WebPWriter : public PictureWriter {
public:
    WebPWriter(platform::fs::AtomicFile& file, int width, int height, const PhotoMetadata& metadata)
        : file_(file), metadata_(metadata)
    {
        metadata_.xmp = xmpWithIptc(metadata);
        if (!WebPPictureInit(&picture_))
            throwEncoderError(file_, Format::WebP, QStringLiteral("libwebp の版が合いません"));
        picture_.use_argb = 1;
        picture_.width = width;
        picture_.height = height;
        if (!WebPPictureAlloc(&picture_))
            throwEncoderError(file_, Format::WebP, encoderReason(VP8_ENC_ERROR_OUT_OF_MEMORY));
    }
    ~WebPWriter() override { WebPPictureFree(&picture_); }

    void writeRow(const std::uint8_t* bgr) override
    {
        std::uint32_t* out = picture_.argb + std::size_t(nextRow_++) * std::size_t(picture_.argb_stride);
        for (int x = 0; x < picture_.width; ++x, bgr += 3)
            out[x] = 0xff000000u | std::uint32_t(bgr[2]) << 16 | std::uint32_t(bgr[1]) << 8 | bgr[0];
    }

    void finish() override
    {
        WebPConfig config;
        if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessPreset))
            throwEncoderError(file_, Format::WebP, QStringLiteral("libwebp の版が合いません"));
        config.exact = 1;
        config.thread_level = 1; // what libwebp can do on a second thread
        WebPMemoryWriter encoded;
        WebPMemoryWriterInit(&encoded);
        picture_.writer = WebPMemoryWrite;
        picture_.custom_ptr = &encoded;
        const bool ok = WebPEncode(&config, &picture_);
        const WebPEncodingError error = picture_.error_code;
        WebPPictureFree(&picture_); // the pixels are not needed any more
        struct Clear {
            WebPMemoryWriter& w;
            ~Clear() { WebPMemoryWriterClear(&w); }
        } clear{encoded};
        if (!ok)
            throwEncoderError(file_, Format::WebP, encoderReason(error));
        writeContainer({encoded.mem, encoded.size});
    }

private:
    // The bitstream alone when there is no metadata; otherwise the extended container with it.
    void writeContainer(const WebPData& image)
    {
        if (metadata_.icc.empty() && metadata_.exif.empty() && metadata_.xmp.empty()) {
            file_.write(image.bytes, image.size);
            return;
        }
        WebPMux* mux = WebPMuxNew();
        if (!mux)
            throw std::bad_alloc();
        WebPData assembled = {nullptr, 0};
        auto chunk = [&](const char* fourcc, const void* data, std::size_t size) {
            const WebPData d = {static_cast<const std::uint8_t*>(data), size};
            return size == 0 || WebPMuxSetChunk(mux, fourcc, &d, 0) == WEBP_MUX_OK;
        };
        const bool ok = WebPMuxSetImage(mux, &image, 0) == WEBP_MUX_OK
            && chunk("ICCP", metadata_.icc.data(), metadata_.icc.size())
            && chunk("EXIF", metadata_.exif.data(), metadata_.exif.size())
            && chunk("XMP ", metadata_.xmp.data(), metadata_.xmp.size())
            && WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
        WebPMuxDelete(mux);
        struct Clear {
            WebPData& d;
            ~Clear() { WebPDataClear(&d); }
        } clear{assembled};
        if (!ok)
            throwEncoderError(file_, Format::WebP, QStringLiteral("メタデータを収められません"));
        file_.write(assembled.bytes, assembled.size);
    }

    platform::fs::AtomicFile& file_;
    PhotoMetadata metadata_;
    WebPPicture picture_{};
    int nextRow_ = 0;
};

} // namespace

std::unique_ptr<PictureWriter> makeWebPWriter(platform::fs::AtomicFile& file, int width, int height,
    const PhotoMetadata& metadata)
{
    return std::make_unique<WebPWriter>(file, width, height, metadata);
}

} // namespace formats
