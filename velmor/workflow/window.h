#pragma once
// What the Browse, Preview and Create commands need of the main window: its shared state, its
// dialog, its views and commands, and its QPX control.

#include "velmor/dialogs/commondialog.h"
#include "velmor/workflow/formstate.h"
#include "velmor/workflow/session.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace platform::component {
class Control;
}

namespace workflow {

class Window {
public:
    virtual ~Window() = default;

    virtual workflow::FormState& form() = 0;
    virtual workflow::Session& session() = 0;
    virtual dialogs::CommonDialog& fileDialog() = 0;
    // qpxFile; null while the window has no QPX control.
    virtual platform::component::Control* qpxControl() = 0;

    // txtFile shows the path of the opened picture.
    virtual void setFileText(const QString& path) = 0;
    // picSrc shows the picture, at its own size or scaled down so that the window fits the
    // screen; the window lays itself out anew.
    virtual void setSourcePicture(const QImage& picture) = 0;
    // picPrev shows the picture at the source view's scale; a null picture empties it.
    virtual void setPreviewPicture(const QImage& picture) = 0;
    // A source is loaded: Preview, then Create, become available.
    virtual void enablePreviewAndCreate() = 0;
    // Renders SourcePixels with the chosen filter into a new output bitmap, which the session
    // then records as its OutputTempPath. Throws
    // platform::RuntimeError on failure and engine::RenderCancelled when the window is closing;
    // either way the incomplete output is gone.
    virtual void RenderFilter() = 0;
    // Long work outside a render (a QPX file read or written): the commands are disabled and the
    // progress bar over the preview counts the given steps in the filter colour, while the
    // window keeps repainting; endLongWork returns the commands to their state before.
    virtual void beginLongWork(int steps) = 0;
    virtual void endLongWork() = 0;
    // A picture was opened from path: the next run's first open dialog starts in its folder.
    virtual void rememberFolderOf(const QString& path) = 0;
    // A modal message box in Japanese.
    virtual void showMessage(const QString& text) = 0;
};

// Long work for the time of a scope.
class LongWork {
public:
    LongWork(Window& window, int steps) : window_(window) { window_.beginLongWork(steps); }
    ~LongWork() { window_.endLongWork(); }
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    Window& window_;
};

} // namespace workflow
