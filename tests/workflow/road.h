#pragma once
// The road of a picture through the window, driven as a user would: scripted dialog answers,
// clicks on the commands, and the files that come out compared with the engine's exact result.

#include "tests/shell/window_fixture.h"

#include "platform/bmp24.h"
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

    // The output bitmap the filter colour must give for the picture at path, built from the
    // rule written out in the test's own reference.
    static QByteArray expectedOutput(const QString& path, engine::ColorValue filter)
    {
        const QImage bgr = platform::toBgr888(platform::loadPicture(path));
        const auto header = platform::bmp24::header(bgr.width(), bgr.height());
        QByteArray out(reinterpret_cast<const char*>(header.data()), int(header.size()));
        const int stride = int(platform::bmp24::stride(bgr.width()));
        for (int y = bgr.height() - 1; y >= 0; --y) {
            QByteArray row(stride, '\0');
            const uchar* src = bgr.constScanLine(y);
            for (int x = 0; x < bgr.width(); ++x) {
                const std::uint32_t p = testsupport::referencePixel(filter, src[3 * x] + src[3 * x + 1] + src[3 * x + 2]);
                row[3 * x] = char(p & 0xFF);
                row[3 * x + 1] = char((p >> 8) & 0xFF);
                row[3 * x + 2] = char((p >> 16) & 0xFF);
            }
            out += row;
        }
        return out;
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
    explicit RenderCounter(QWidget* quit) { quit->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::EnabledChange && !static_cast<QWidget*>(o)->isEnabled())
            ++renders;
        return false;
    }
};
