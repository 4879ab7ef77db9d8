#include "qpxctrl/workfiles.h"

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/tempsweep.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace qpx {
namespace {

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QStringList ordinaryFiles(const QString& folder)
{
    QStringList files;
    for (const QString& entry : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (platform::fs::isOrdinaryFile(native(folder + entry)))
            files << entry;
    return files;
}

} // namespace

QString workFolderPrefix(WorkFolder::Purpose purpose)
{
    // The start-up sweep reads the owner back with the same parser: a folder it cannot match is stale.
    static const QString process = [] {
        const std::string stamp = platform::processStamp(::getpid());
        return stamp.empty() ? QStringLiteral("%1.0").arg(::getpid()) : QString::fromStdString(stamp);
    }();
    return (purpose == WorkFolder::Purpose::Save ? QStringLiteral("QPXSAVE_") : QStringLiteral("QPXOPEN_")) + process
           + QLatin1Char('_');
}

WorkFolder::WorkFolder(const QString& tempFolder, Purpose purpose)
{
    QByteArray templ = QFile::encodeName(tempFolder + workFolderPrefix(purpose)) + "XXXXXX";
    if (!::mkdtemp(templ.data()))
        throw platform::fileError(errno, tempFolder);
    path_ = QFile::decodeName(templ) + QLatin1Char('/');
}

WorkFolder::~WorkFolder()
{
    std::error_code ignored; // nothing here is anyone's data; a leftover only wastes space
    std::filesystem::remove_all(native(path_), ignored);
}

QString WorkFolder::find(const QString& name) const
{
    if (platform::fs::isOrdinaryFile(native(path_ + name)))
        return path_ + name;
    QString found;
    for (const QString& entry : ordinaryFiles(path_)) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!found.isEmpty())
            return {};
        found = path_ + entry;
    }
    return found;
}

QString WorkFolder::onlyFile() const
{
    const QStringList files = ordinaryFiles(path_);
    return files.size() == 1 ? path_ + files.front() : QString();
}

} // namespace qpx
