// Writes the application icon for the hicolor theme, drawn after the window's 32 x 32 icon:
// make_icons OUTDIR NAME writes OUTDIR/<N>x<N>/apps/NAME.png for every usual size.
#include "velmor/shell/icon.h"

#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("使い方: make_icons 出力フォルダ 名前\n", stderr);
        return 2;
    }
    const QImage design = shell::velmorIconImage();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Whole multiples keep the design's hard pixel edges; the small sizes are smoothed.
        const Qt::TransformationMode mode = size % 32 == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, QString::fromLocal8Bit(argv[2]));
        if (!QDir().mkpath(folder) || !design.scaled(size, size, Qt::IgnoreAspectRatio, mode).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: %s を書けません\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
