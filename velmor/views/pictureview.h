#pragma once
// A picture view: the source view picSrc or the preview view picPrev. Borderless over a white
// background, it draws what it is given one pixel per device pixel, so a photo is as sharp at a
// scale factor of 2 as the screen allows. Ctrl + wheel asks for a zoom and a drag for a pan; the
// pair of views (PictureViews) decides what both then show. An empty view may show a hint.

#include "velmor/engine/colorvalues.h"
#include "velmor/views/picturepixels.h"

#include <QString>
#include <QWidget>
#include <functional>

namespace views {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    // Asked for what to draw, for the view's logical size and its device pixel ratio, whenever
    // that or the content changed.
    using Source = std::function<Displayed(QSize size, double dpr)>;
    void setSource(Source source);
    // The content changed: asked again at the next paint.
    void invalidate();
    // What the view shows now (asked of its source first when out of date).
    const Displayed& displayed();
    // How many times it was painted: benchmarks wait for the next paint.
    int paints() const { return paints_; }

    void setHint(const QString& text);
    const QString& hint() const { return hint_; }
    engine::ColorValue backColor() const { return 0x00FFFFFF; }
    // Dragging moves the picture: the cursor says so.
    void setPannable(bool on);

    // Sets the size in pixels; a change of size is announced by resized() (the layout rule's
    // notification). Other geometry changes do not announce.
    void setSizePixels(const QSize& size);

signals:
    void resized();
    void zoomRequested(int steps, QPointF at); // wheel notches with Ctrl, at a point of the view
    void panRequested(QPointF delta);          // logical pixels dragged

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double deviceRatio() const;

    Source source_;
    Displayed displayed_;
    QSize displayedSize_;
    double displayedRatio_ = 0;
    bool stale_ = true;
    QString hint_;
    bool pannable_ = false;
    bool dragging_ = false;
    QPointF dragFrom_;
    int wheelRest_ = 0; // eighths of a degree not yet a whole notch
    int paints_ = 0;
};

} // namespace views
