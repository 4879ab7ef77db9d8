#include "platform/formats/picturewriter.h"

#include "platform/errors.h"
#include "platform/formats/writers.h"
#include "platform/fs.h"
#include "platform/nativepath.h"

#include <stdexcept>

namespace formats {

void throwEncoderError(const platform::fs::AtomicFile& file, Format format, const QString& reason)
{
    throw platform::RuntimeError(platform::kFileAccessError,
        QStringLiteral("%1: %2 として書き出せません (%3)")
            .arg(platform::shownPath(platform::fromNativePath(file.target().c_str())), nameOf(format), reason));
}

std::unique_ptr<PictureWriter> makePictureWriter(Format format, platform::fs::AtomicFile& file, int width,
    int height, const PhotoMetadata& metadata, const WriteOptions& options)
{
    if (const QString problem = sizeProblem(format, width, height); !problem.isEmpty())
        throw platform::RuntimeError(platform::kInvalidArgument, problem);
    switch (format) {
    case Format::Jpeg: return makeJpegWriter(file, width, height, metadata, options.jpegQuality);
    case Format::Png: return makePngWriter(file, width, height, metadata);
    case Format::Tiff: return makeTiffWriter(file, width, height, metadata);
    case Format::WebP: return makeWebPWriter(file, width, height, metadata);
    case Format::Bitmap: break;
    }
    throw std::invalid_argument("the bitmap has a writer of its own");
}

} // namespace formats
