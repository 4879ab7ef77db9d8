#pragma once
// The progress bar over the preview view: it counts the rows of a render in the filter colour,
// with the text "処理中..." over it, and is hidden otherwise.

#include "velmor/engine/colorvalues.h"

#include <QWidget>

namespace shell {

class MoxelBar : public QWidget {
    Q_OBJECT
public:
    explicit MoxelBar(QWidget* parent = nullptr);

    void setMax(int v);
    void setMin(int v);
    void setValue(int v);
    void setBarColor(engine::ColorValue color);
    // Advances the bar by one step, never past Max.
    void StepIt();

    int Max() const { return max_; }
    int Min() const { return min_; }
    int Value() const { return value_; }
    engine::ColorValue BarColor() const { return barColor_; }
    QString text() const { return text_; }

    // Left edge and width in twips, as the layout passes them.
    void setLeftTwips(float left, float twipsPerPixel);
    void setWidthTwips(float width, float twipsPerPixel);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int max_ = 100;
    int min_ = 0;
    int value_ = 0;
    // Stored with the window: green bar, the text below.
    engine::ColorValue barColor_ = 0x0000C000;
    QString text_;
};

} // namespace shell
