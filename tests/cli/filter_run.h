#pragma once
// velmor-filter run as a user runs it, in a folder of its own with its own settings, and what the
// window writes for the same picture, for comparison.

#include "platform/picture.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "velmor/engine/renderfilter.h"
#include "velmor/engine/sourcepixels.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

namespace velmorfilter {

struct Outcome {
    int exitCode;
    QString err;
};

struct VelmorFilterTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    Outcome run(const QStringList& args, const QStringList& env = {}, std::function<void()> childSetup = {}) const
    {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        e.insert(QStringLiteral("TMPDIR"), dir.path()); // its start-up sweep stays in the test's folder
        for (const QString& kv : env)
            e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(e);
        if (childSetup)
            p.setChildProcessModifier(childSetup);
        p.start(QStringLiteral(VELMOR_BIN_DIR "/velmor-filter"), args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
    }
    static QImage photo(int w, int h, bool alpha = false)
    {
        QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixel(x, y, qRgba((x * 37) & 255, (y * 53) & 255, (x * y) & 255, alpha ? (x * 40) & 255 : 255));
        return img;
    }
    static QByteArray encoded(const QImage& img, const char* format) { return testsupport::encoded(img, format); }
    // What the window writes for the same file: source bitmap, grid, render.
    QByteArray windowResult(const QString& input, engine::ColorValue colour) const
    {
        const QString work = dir.filePath(QStringLiteral("work/"));
        QDir().mkpath(work);
        const QImage picture = platform::loadPicture(input);
        platform::savePictureBmp24(picture, work + QStringLiteral("src.bmp"));
        const auto grid = engine::LoadSourcePixels(work + QStringLiteral("src.bmp"), picture.width(), picture.height());
        const auto files = engine::renderFilter(grid, picture.width(), picture.height(), colour, work);
        const QByteArray bytes = testsupport::readFile(files.outputPath);
        QFile::remove(files.outputPath);
        return bytes;
    }
    QStringList litter() const
    {
        return QDir(dir.path()).entryList(QStringList{QStringLiteral(".*tmp*")}, QDir::Files | QDir::Hidden);
    }
};

} // namespace velmorfilter
