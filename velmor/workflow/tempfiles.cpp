#include "velmor/workflow/tempfiles.h"

#include "platform/fs.h"
#include "platform/nativepath.h"
#include "velmor/workflow/commands.h"

#include <unistd.h>

namespace workflow {

void removeTempFile(const QString& path)
{
    if (!path.isEmpty() && platform::fs::isOrdinaryFile(platform::nativePathString(path)))
        ::unlink(platform::toNativePath(path).constData());
}

void closeSession(Session& session)
{
    removeTempFile(session.takeOutput());
    removeTempFile(session.takeSourceTemp());
}

} // namespace workflow
