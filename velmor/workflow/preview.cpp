// Preview: renders the chosen filter anew and shows the result.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "velmor/workflow/outputpicture.h"

namespace workflow {

void cmdPrev_Click(Window& window)
{
    Session& session = window.session();
    window.setPreviewPicture(QImage());
    session.previewCleared();
    try {
        window.RenderFilter();
        window.setPreviewPicture(loadOutputPicture(session.OutputTempPath()));
    } catch (const platform::RuntimeError& e) {
        // An output the view could not show is not taken as previewed.
        session.previewCleared();
        window.showMessage(QStringLiteral("プレビューを作れませんでした。\n\n%1").arg(e.text()));
        return;
    }
}

} // namespace workflow
