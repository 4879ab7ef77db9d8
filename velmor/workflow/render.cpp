// A render for Preview and Create: the session's source and filter go out as a job, and the file
// that comes back becomes the session's output.

#include "velmor/workflow/commands.h"

#include "velmor/workflow/tempfiles.h"

namespace workflow {

void renderOutput(Session& session, const RenderOutput& render)
{
    const RenderJob job = session.renderJob();
    const QString path = render(job);
    // The preview view holds its picture in memory; the earlier output file has no reader left.
    removeTempFile(session.outputRendered(path, job));
}

} // namespace workflow
