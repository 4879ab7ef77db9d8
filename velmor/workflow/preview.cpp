// Preview: renders the chosen filter anew and reads the result back for the view.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "platform/picture.h"

namespace workflow {

QImage renderPreview(Session& session, const RenderOutput& render)
{
    // A render stopped on the way throws past this: the earlier output, still shown, stays as it was.
    try {
        renderOutput(session, render);
        return platform::loadBmp24Picture(session.OutputTempPath());
    } catch (const platform::RuntimeError& e) {
        // An output the view could not show is not taken as previewed.
        session.previewCleared();
        throw platform::RuntimeError(e.number(), QStringLiteral("プレビューを作れませんでした。\n\n%1").arg(e.text()));
    }
}

} // namespace workflow
