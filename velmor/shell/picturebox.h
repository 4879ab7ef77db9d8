#pragma once
// A picture box as the filter swatches are: a bordered box that shows its colour. A click chooses
// the swatch's filter, Space or Return does too from the keyboard, and a double-click is the
// custom swatch's way to its colour dialog; the box with the focus shows a frame that stands out
// on any colour.

#include "velmor/engine/colorvalues.h"

#include <QWidget>

namespace shell {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setBackColor(engine::ColorValue color);
    engine::ColorValue backColor() const { return backColor_; }
    void setBorder(bool on);

signals:
    void clicked();
    void doubleClicked();
    // Return or Space pressed while the box has the focus.
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    engine::ColorValue backColor_ = 0x00FFFFFF;
    bool border_ = false;
};

} // namespace shell
