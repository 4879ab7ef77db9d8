#pragma once
// Pictures read a band of rows at a time, top row first, for work that goes through a picture once
// (velmor-filter): memory stays at a few rows whatever the picture's size. The rows are the bytes
// loadPicture and toBgr888 give for the same file.

#include <QSize>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string_view>

namespace platform {

class PictureRows {
public:
    virtual ~PictureRows() = default;
    int width() const { return width_; }
    int height() const { return height_; }
    // The resolution the file states, in whole dots per metre as loadPicture's picture has it;
    // empty when it states none.
    QSize dotsPerMetre() const { return dotsPerMetre_; }
    // The next row from the top: width pixels of three bytes, blue, green, red; valid until the
    // next call. Data found damaged on the way throws RuntimeError naming the file.
    virtual const std::uint8_t* nextRow() = 0;
    // After the last row: the rest of the file is checked. Throws RuntimeError as nextRow does.
    virtual void finish() = 0;

protected:
    int width_ = 0;
    int height_ = 0;
    QSize dotsPerMetre_;
};

// The picture at path as rows when its format and content allow it (a baseline JPEG in colour or
// grey that needs no turning, an 8-bit PNG in colour, grey or a palette without transparency and
// not interlaced, an untiled 8-bit TIFF in colour or grey that needs no turning); null when it is to be decoded whole by loadPicture, which then
// gives the reason for any fault of the file.
std::unique_ptr<PictureRows> openPictureRows(const QString& path);

// For the readers of each format.
namespace rows {
// The file at path open for reading when it is a regular file that begins with one of the
// signatures; -1 (or null) otherwise.
int openWithSignature(const QString& path, std::initializer_list<std::string_view> signatures);
std::FILE* openStreamWithSignature(const QString& path, std::string_view signature);
// width grey samples as blue, green, red.
void greyToBgr(const std::uint8_t* grey, std::uint8_t* bgr, int width);
} // namespace rows

} // namespace platform
