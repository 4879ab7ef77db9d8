#pragma once
// The road of a picture through the window, driven as a user would: scripted dialog answers,
// clicks on the commands, and the files that come out compared with a reference the test builds
// itself from the filter rule and the bitmap layout.

#include "tests/shell/window_fixture.h"

#include "platform/picture.h"
#include "tests/support/files.h"
#include "tests/support/filter_reference.h"
#include "tests/support/pictures.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>

struct RoadFixture : WindowFixture {
    QString pictures = dir.path() + QStringLiteral("/pictures/");

    RoadFixture() { QDir().mkpath(pictures); }

    // A picture with every channel varying, so that a swapped channel or a row in the wrong
    // place shows.
    static QImage sample(int width = 37, int height = 23)
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgb((x * 255) / width, (y * 255) / height, (x * 7 + y * 13) % 256));
        return image;
    }

    // Writes the sample in the given kind ("bmp", "jpg", "gif", "png") and returns its path.
    QString write(const QString& kind, const QString& name = {}, const QImage& image = sample())
    {
        const QString path = pictures + (name.isEmpty() ? QStringLiteral("sample.") + kind : name);
        if (kind == QLatin1String("gif")) {
            testsupport::writeFile(path, testsupport::makeGif(image));
        } else {
            EXPECT_TRUE(image.save(path, kind.toLatin1().constData()));
        }
        return path;
    }

    // The output bitmap the filter colour must give for the picture: a 54-byte header spelled out
    // field by field, then the rows bottom first, each pixel from the rule written out in the
    // test's own reference and each row padded with zeros to a multiple of four bytes.
    static QByteArray referenceOutput(const QImage& picture, engine::ColorValue filter)
    {
        const int width = picture.width(), height = picture.height();
        const int stride = (3 * width + 3) / 4 * 4;
        QByteArray out("BM");
        const auto put = [&out](quint32 value, int bytes) {
            for (int i = 0; i < bytes; ++i)
                out.append(char((value >> (8 * i)) & 0xFF));
        };
        put(54 + stride * height, 4); // file size
        put(0, 4);                    // reserved
        put(54, 4);                   // pixels at
        put(40, 4);                   // info header size
        put(width, 4);
        put(height, 4);               // positive: rows bottom-up
        put(1, 2);                    // planes
        put(24, 2);                   // bits a pixel
        put(0, 4);                    // no compression
        put(stride * height, 4);      // pixel bytes
        put(3780, 4);                 // 96 dpi across
        put(3780, 4);                 // and down
        put(0, 4);                    // colours used
        put(0, 4);                    // colours important
        for (int y = height - 1; y >= 0; --y) {
            QByteArray row(stride, '\0');
            for (int x = 0; x < width; ++x) {
                const QRgb c = picture.pixel(x, y);
                const std::uint32_t p = testsupport::referencePixel(filter, qBlue(c) + qGreen(c) + qRed(c));
                row[3 * x] = char(p & 0xFF);
                row[3 * x + 1] = char((p >> 8) & 0xFF);
                row[3 * x + 2] = char((p >> 16) & 0xFF);
            }
            out += row;
        }
        return out;
    }

    // The same for the picture at path as the platform decodes it (a photo's pixels are the
    // decoder's).
    static QByteArray expectedOutput(const QString& path, engine::ColorValue filter)
    {
        return referenceOutput(platform::loadPicture(path), filter);
    }

    void browse(const QString& path)
    {
        dialogs->files.push_back(path);
        window->cmdBrws->click();
    }
    void create(const QString& path)
    {
        dialogs->files.push_back(path);
        window->cmdMake->click();
    }
};

// Counts renders by the window's passes through its Rendering state.
struct RenderCounter : QObject {
    int renders = 0;
    const frmMain& window;
    explicit RenderCounter(const frmMain& w) : window(w) { w.cmdQuit->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::EnabledChange && !static_cast<QWidget*>(o)->isEnabled()
            && window.activity() == Activity::Rendering)
            ++renders;
        return false;
    }
};
