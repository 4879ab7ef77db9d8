#include "velmor/workflow/tempfiles.h"

#include "platform/fs.h"
#include "velmor/workflow/commands.h"

#include <QFile>

namespace workflow {

void removeTempFile(const QString& path)
{
    if (!path.isEmpty() && platform::fs::isOrdinaryFile(QFile::encodeName(path).toStdString()))
        QFile::remove(path);
}

void closeSession(Session& session)
{
    removeTempFile(session.takeOutput());
    removeTempFile(session.takeSourceTemp());
}

} // namespace workflow
