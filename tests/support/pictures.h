#pragma once
// Pictures encoded in memory for tests. Qt reads GIF but cannot write it; tests make their own with
// a tiny writer: every code is a literal of 8 bits (a clear code keeps the table from growing), so
// no compression is needed.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace testsupport {

// A GIF of the picture reduced to 128 grey-blue levels (blue byte of the palette entry = level).
inline QByteArray makeGif(const QImage& picture)
{
    const int w = picture.width(), h = picture.height();
    QByteArray out("GIF89a");
    auto put16 = [&](int v) { out.append(char(v & 0xFF)).append(char(v >> 8)); };
    put16(w);
    put16(h);
    out.append(char(0x86)).append('\0').append('\0'); // global table of 128 entries
    for (int i = 0; i < 128; ++i)
        out.append(char(i * 2)).append(char(i * 2)).append(char(255 - i * 2));
    out.append(',');
    put16(0);
    put16(0);
    put16(w);
    put16(h);
    out.append('\0').append(char(7)); // no local table; minimum code size 7 gives 8-bit codes

    QByteArray codes;
    int sinceClear = 0;
    codes.append(char(128));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (sinceClear == 120) {
                codes.append(char(128));
                sinceClear = 0;
            }
            codes.append(char(qGray(picture.pixel(x, y)) / 2));
            ++sinceClear;
        }
    codes.append(char(129));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append(';');
    return out;
}

// The picture in a format Qt names ("BMP", "JPEG", "PNG", ...) or "GIF".
inline QByteArray encoded(const QImage& picture, const char* format)
{
    if (qstrcmp(format, "GIF") == 0)
        return makeGif(picture);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

} // namespace testsupport
