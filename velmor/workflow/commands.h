#pragma once
// The user's three commands on a picture as plain calls: open a source (Browse), render and load
// the filtered picture (Preview) and write it to a file (Create). Each takes what it needs and
// either returns what it produced or throws platform::RuntimeError with the whole message for the
// user; a render stopped because the window is closing throws engine::RenderCancelled. A failed
// command leaves the session as it was before, apart from what the user asked for.

#include "velmor/engine/sourcepixels.h"
#include "velmor/workflow/session.h"
#include "velmor/workflow/sourceguard.h"

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

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

// Renders the session's source with the chosen filter into a new output bitmap, which the session
// then records as its OutputTempPath. Throws as a command does; the incomplete output is gone.
using RenderOutput = std::function<void()>;

// Where Browse reads from and writes its temporary source bitmap.
struct OpenInputs {
    QString tempFolder;                          // ends in '/'
    platform::component::Control* qpx = nullptr; // the QPX control; null when there is none
    LongWorkHooks longWork;
};

// A picture read as the new source, not yet handed to the session.
struct OpenedPicture {
    QImage picture;
    engine::SourcePixels pixels;
    std::optional<SourceFile> file;
};

// Reads the picture at path into a source grid through a temporary bitmap, which is gone again
// afterwards. A temporary bitmap that could not be deleted after a failure is named in
// undeletedTemp, for quitting to try again.
OpenedPicture openPicture(const QString& path, const OpenInputs& inputs, QString& undeletedTemp);

// Renders anew and returns the output bitmap as a picture. A failure leaves the session with no
// previewed output.
QImage renderPreview(Session& session, const RenderOutput& render);

struct CreateInputs {
    RenderOutput render;                         // used when the session's output is not fresh
    ReplaceQuestion mayReplaceSource;            // asked before the opened source is written over
    platform::component::Control* qpx = nullptr; // the QPX control; null when there is none
    LongWorkHooks longWork;
};

// Writes the filtered picture to destination: a QPX file when the name ends in ".QPX", otherwise a
// copy of the output bitmap. False when the user kept the source picture and nothing was written.
// On a write failure the output stays, so that the next Create retries without rendering.
bool createPicture(Session& session, const QString& destination, const CreateInputs& inputs);

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
