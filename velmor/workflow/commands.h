#pragma once
// The user's commands on a picture as plain calls over the session: open a source (Browse), choose
// a filter, render and load the filtered picture (Preview), write it to a file (Create), and delete
// what is left when the window goes. Each takes what it needs, records in the session what it
// produced, and either returns or throws platform::RuntimeError with the whole message for the
// user; a render stopped (the window closing, Escape) throws engine::RenderCancelled, and other long
// work asked to stop throws platform::WorkStopped. A failed or stopped command leaves the session as
// it was before, apart from what the user asked for.

#include "platform/formats/format.h"
#include "velmor/engine/colorvalues.h"
#include "velmor/workflow/session.h"
#include "velmor/workflow/sourceguard.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace platform::component {
class Control;
}

namespace workflow {

// Long work outside a render (a QPX file read or written): begin is told how many steps follow,
// end runs when the work is over, whether it succeeded or not. Either may be empty.
struct LongWorkHooks {
    std::function<void(int steps)> begin;
    std::function<void()> end;
};

// Renders the job into a new output bitmap and returns its path; the command records it in the
// session. Throws as a command does, the incomplete output then gone.
using RenderOutput = std::function<QString(const RenderJob& job)>;

// Where Browse reads from and writes its temporary source bitmap.
struct OpenInputs {
    QString tempFolder;                          // ends in '/'
    platform::component::Control* qpx = nullptr; // the QPX control; null when there is none
    LongWorkHooks longWork;
    // A first, reduced view of a large photo while the whole picture is decoded: the reduced
    // picture (upright) and the whole picture's size. Empty: none is made.
    std::function<void(const QImage& reduced, QSize size)> firstView;
    QSize firstViewAtLeast; // the smallest reduced picture worth showing
};

// Reads the picture at path into a source grid through a temporary bitmap, which is gone again
// afterwards, and makes it the session's source. A temporary bitmap that could not be deleted after
// a failure is recorded in the session, for closing to try again. A stop asked for through the long
// work (platform::WorkStopped) leaves the session as it was and no file behind.
void openPicture(Session& session, const QString& path, const OpenInputs& inputs);

// The user chose the filter of the given colour (an option clicked, a custom colour confirmed).
void chooseFilter(Session& session, engine::ColorValue colour);

// Renders the session's source with its filter into a new output bitmap, which the session records
// in place of the earlier one; that earlier file is deleted.
void renderOutput(Session& session, const RenderOutput& render);

// Renders anew and returns the output bitmap as a picture. A failure leaves the session with no
// previewed output; a stopped render leaves it as it was.
QImage renderPreview(Session& session, const RenderOutput& render);

struct CreateInputs {
    RenderOutput render;                         // used when the session's output is not fresh
    ReplaceQuestion mayReplaceSource;            // asked before the opened source is written over
    platform::component::Control* qpx = nullptr; // the QPX control; null when there is none
    LongWorkHooks longWork;
    int jpegQuality = formats::kDefaultJpegQuality;
};

// Writes the filtered picture to destination in the format its name says: a QPX file when the
// name ends in ".QPX"; JPEG, PNG, TIFF or lossless WebP with the source's metadata for those
// extensions; otherwise a copy of the output bitmap. False when the user kept the source picture
// and nothing was written. On a write failure the output stays, so that the next Create retries
// without rendering.
bool createPicture(Session& session, const QString& destination, const CreateInputs& inputs);

// The window goes: the output bitmap, fresh or not, and a leftover source bitmap are deleted.
void closeSession(Session& session);

// Long work for the time of a scope.
class LongWork {
public:
    LongWork(const LongWorkHooks& hooks, int steps) : hooks_(hooks)
    {
        if (hooks_.begin)
            hooks_.begin(steps);
    }
    ~LongWork()
    {
        if (hooks_.end)
            hooks_.end();
    }
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

private:
    const LongWorkHooks& hooks_;
};

} // namespace workflow
