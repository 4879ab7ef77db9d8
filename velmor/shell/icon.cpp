#include "velmor/shell/icon.h"

#include <QPainter>
#include <QPolygon>

namespace shell {

QImage velmorIconImage()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    const QColor black(0, 0, 0), grey(128, 128, 128), white(255, 255, 255), yellow(255, 255, 0),
        darkRed(128, 0, 0), green(0, 128, 0), blue(0, 0, 255), red(255, 0, 0);

    p.fillRect(6, 5, 19, 26, grey);                 // shadow of the sheet
    p.fillRect(3, 2, 19, 26, white);                // the sheet
    p.setPen(black);
    p.drawRect(3, 2, 18, 25);
    p.fillRect(14, 13, 16, 16, yellow);             // the square over the sheet's corner
    p.drawRect(14, 13, 15, 15);

    p.setPen(Qt::NoPen);
    p.setBrush(darkRed);
    p.drawEllipse(6, 5, 8, 8);
    p.setBrush(green);
    p.drawPolygon(QPolygon({QPoint(6, 20), QPoint(11, 13), QPoint(16, 20)}));
    p.setBrush(blue);
    p.drawRect(18, 17, 8, 7);
    p.fillRect(1, 24, 30, 3, red);                  // the band across everything
    return image;
}

} // namespace shell
