#pragma once
// A picture box: shows one picture at its own size over a background colour. The source and
// preview views are borderless and take the size of their picture; the filter swatches are
// bordered boxes that only show their colour.

#include "velmor/engine/colorvalues.h"

#include <QImage>
#include <QWidget>

namespace shell {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // A null picture empties the box; a picture makes an auto-sizing box take its size.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    void setBackColor(engine::ColorValue color);
    engine::ColorValue backColor() const { return backColor_; }

    void setAutoSize(bool on) { autoSize_ = on; }
    void setBorder(bool on);

    // Sets the size in pixels; a change of size is announced by resized().
    void setSizePixels(const QSize& size);

signals:
    void resized();
    void doubleClicked();
    // Return or Space pressed while the box has the focus: the keyboard's double-click.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage picture_;
    engine::ColorValue backColor_ = 0x00FFFFFF;
    bool autoSize_ = false;
    bool border_ = false;
};

} // namespace shell
