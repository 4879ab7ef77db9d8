// Preview: renders the chosen filter anew and shows the result.

#include "velmor/workflow/commands.h"

#include "platform/errors.h"
#include "velmor/workflow/outputpicture.h"

namespace workflow {

void cmdPrev_Click(Window& window)
{
    workflow::FormState& form = window.form();
    window.setPreviewPicture(QImage());
    // With the view emptied, an earlier output is no longer the one shown.
    form.PreviewFresh = false;
    try {
        window.RenderFilter();
        window.setPreviewPicture(loadOutputPicture(form.OutputTempPath));
    } catch (const platform::RuntimeError& e) {
        window.showMessage(QStringLiteral("プレビューを作れませんでした。\n\n%1").arg(e.text()));
        return;
    }
    form.PreviewFresh = true;
}

} // namespace workflow
