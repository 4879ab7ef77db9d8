#pragma once
// The source and preview views side by side, in step: one zoom and one position for both, so that
// one detail of the source and of the result is compared side by side. The source view draws the
// opened picture; the preview view draws the live preview (the filter rule over the very pixels
// the source view shows) or, after Preview, the rendered output bitmap itself. Only the display
// changes: the grid, the render and every file keep the picture's own size.

#include "velmor/engine/colorvalues.h"
#include "velmor/engine/render.h"
#include "velmor/views/picturepixels.h"
#include "velmor/views/viewport.h"

#include <QObject>
#include <optional>

namespace views {

class PictureView;

class PictureViews : public QObject {
    Q_OBJECT
public:
    PictureViews(PictureView& source, PictureView& preview);

    // A picture to show: its first view, then the whole of it. A new picture is fitted; the whole
    // of the picture whose first view is shown keeps the zoom the user has set meanwhile.
    void showSource(PicturePixels pixels, bool samePicture = false);
    const PicturePixels& source() const { return source_; }
    // The filter the live preview shows.
    void setFilter(engine::ColorValue colour);
    engine::ColorValue filter() const { return filter_; }
    // The rendered output in the preview view instead of the live preview; a null picture goes
    // back to the live preview.
    void showRendered(const QImage& output);
    // The rendered output the preview view shows; null while it shows the live preview.
    const QImage& rendered() const { return rendered_; }

    // What the views show, to be put back when an open does not complete.
    struct State {
        PicturePixels source;
        QImage rendered;
        Viewport viewport;
    };
    State state() const { return {source_, rendered_, viewport_}; }
    void restore(const State& state);

    // Zoom and pan, for both views at once; anchors in view logical pixels.
    void fit();
    void actualSize();
    void zoomIn();
    void zoomOut();
    void zoomBy(int steps, QPointF anchor);
    void panBy(QPointF delta);
    const Viewport& viewport() const { return viewport_; }
    // Logical pixels per picture pixel, as the views show the picture now.
    double scale() const;

private:
    Displayed sourceDisplayed(QSize size, double dpr);
    Displayed previewDisplayed(QSize size, double dpr);
    void changed(); // what the views show changed: both draw anew

    PictureView& sourceView_;
    PictureView& previewView_;
    PicturePixels source_;
    PicturePixels renderedPixels_;
    QImage rendered_;
    engine::ColorValue filter_ = 0x00808080;
    engine::RenderTable table_{engine::ColorValue(0x00808080)};
    Viewport viewport_;
    // The source view's pixels, which the live preview tints: made once for both views.
    struct Cached {
        QSize size;
        double dpr = 0;
        Displayed shown;
    };
    std::optional<Cached> sourceCache_;
};

} // namespace views
