// Makes the documentation's screenshots of the real window, driven through scripted dialogs, on a
// real X server: a generated photo previewed in sepia, or (--live) a real photo with 赤 chosen and
// Preview not pressed, as the window opens for it and then maximised at 100 % on a detail. Run
// under xvfb-run with a window manager (docs/screenshots/make.sh), so that the title bar is drawn
// too.

#include "velmor/shell/frmmain.h"
#include "velmor/dialogs/japanese.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace {

// A landscape the size of a phone photo (4000 x 3000): sky, sun, hills and a lake, with a fine
// grain so that it has the detail of a photo, enough colour for the filter to show.
QImage scene()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(image.width() / 320.0, image.height() / 240.0);
    QLinearGradient sky(0, 0, 0, 150);
    sky.setColorAt(0, QColor(40, 110, 200));
    sky.setColorAt(1, QColor(250, 200, 150));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(255, 230, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(230, 80), 28, 28);
    QPainterPath hills(QPointF(0, 160));
    hills.cubicTo(60, 90, 120, 110, 170, 150);
    hills.cubicTo(220, 110, 280, 100, 320, 140);
    hills.lineTo(320, 240);
    hills.lineTo(0, 240);
    p.setBrush(QColor(60, 140, 70));
    p.drawPath(hills);
    QLinearGradient lake(0, 180, 0, 240);
    lake.setColorAt(0, QColor(70, 130, 190));
    lake.setColorAt(1, QColor(20, 60, 120));
    p.setBrush(lake);
    p.drawRoundedRect(QRectF(40, 185, 240, 45), 20, 20);
    p.end();
    std::uint32_t seed = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + grain, 0, 255), std::clamp(qGreen(c) + grain, 0, 255), std::clamp(qBlue(c) + grain, 0, 255));
        }
    }
    return image;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void grab(QWidget& w, const QString& path)
{
    wait(1500); // the window manager decorates and places the window
    const QRect frame = w.frameGeometry();
    w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
}

// The real window with a private temporary folder and settings, its dialogs scripted.
struct ShotWindow {
    QTemporaryDir work;
    std::shared_ptr<dialogs::ScriptedDialogs> dialogs = std::make_shared<dialogs::ScriptedDialogs>();
    frmMain w{services()};

    shell::Services services()
    {
        shell::Services s;
        s.dialogs = dialogs;
        s.tempFolder = [this] { return work.path() + QStringLiteral("/"); };
        s.settingsFile = work.path() + QStringLiteral("/Velmor.ini");
        return s;
    }
    // Started and shown near the screen's corner; false when it cannot start.
    bool start()
    {
        if (!w.Form_Load())
            return false;
        w.move(20, 20);
        w.show();
        return true;
    }
};

// The live preview of 赤 over a real photo, Preview not pressed: the window as it opens for the
// photo, then maximised at 100 % with detail (a point of the photo, in its own pixels) at the
// views' centre. The files are named <name>.png and <name>-100.png.
int liveShots(const QString& folder, const QString& photo, const QString& name, QPoint detail)
{
    ShotWindow shot;
    if (!shot.start())
        return 1;
    frmMain& w = shot.w;
    const auto& dialogs = shot.dialogs;
    dialogs->files.push_back(photo);
    w.cmdBrws->click();
    wait(1500); // the window manager places the grown window
    w.optFilt[2]->click();
    grab(w, folder + QStringLiteral("/%1.png").arg(name));

    w.showMaximized();
    wait(1500);
    QKeyEvent ctrl1(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier, QStringLiteral("1"));
    QApplication::sendEvent(w.cmdQuit, &ctrl1); // 100 %, the picture's centre at the views' centre
    const QSize size = w.views().source().size();
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    emit w.picSrc->panRequested((centre - QPointF(detail)) * w.viewScale()); // dragged to the detail
    grab(w, folder + QStringLiteral("/%1-100.png").arg(name));
    w.close();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool live = argc == 6 && QByteArray(argv[1]) == "--live";
    if (argc < 3 || (QByteArray(argv[1]) == "--live" && !live)) {
        qWarning("usage: velmor_screenshot <output folder> <pictures folder>\n"
                 "       velmor_screenshot --live <output folder> <photo> <name> <x>,<y>");
        return 2;
    }
    dialogs::installJapaneseTranslations(app);
    QApplication::setFont(dialogs::japaneseUiFont());
    if (live) {
        const QStringList at = QString::fromLocal8Bit(argv[5]).split(QLatin1Char(','));
        return liveShots(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
            QString::fromLocal8Bit(argv[4]), QPoint(at.value(0).toInt(), at.value(1).toInt()));
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString pictures = QString::fromLocal8Bit(argv[2]);

    ShotWindow shot;
    if (!shot.start())
        return 1;
    frmMain& w = shot.w;
    const auto& dialogs = shot.dialogs;

    const QString picture = QDir(pictures).filePath(QStringLiteral("landscape.jpg"));
    scene().save(picture, "JPG", 90);
    dialogs->files.push_back(picture);
    w.cmdBrws->click();
    wait(1500); // the window manager places the grown window
    w.optFilt[1]->click();
    // Part way through the render: the progress bar over the preview, in the filter colour.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &w, [&] {
        if (!w.mxbPrv->isVisible() || w.mxbPrv->Value() < w.mxbPrv->Max() / 3)
            return;
        watch.stop();
        const QRect frame = w.frameGeometry();
        w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
            .save(folder + QStringLiteral("/velmor-sepia-rendering.png"));
    });
    watch.start(0);
    w.cmdPrev->click();
    watch.stop();
    grab(w, folder + QStringLiteral("/velmor-sepia-preview.png"));
    // The whole screen: the window lies on it, the photo being four times its size.
    w.screen()->grabWindow(0).save(folder + QStringLiteral("/velmor-sepia-screen.png"));
    w.close();
    return 0;
}
