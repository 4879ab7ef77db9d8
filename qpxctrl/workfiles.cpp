#include "qpxctrl/workfiles.h"

#include "platform/errors.h"
#include "platform/fs.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qpx {
namespace {

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Field 22 of /proc/self/stat, the process's start time in clock ticks since boot. The command
// name (field 2) may hold spaces and parentheses, so the fields are counted after its last ')'.
QString startTime()
{
    std::ifstream in("/proc/self/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return QStringLiteral("0");
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int n = 3; n <= 22 && fields >> field; ++n) {
        if (n == 22)
            return QString::fromStdString(field);
    }
    return QStringLiteral("0");
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
    static const QString process = QStringLiteral("%1.%2").arg(::getpid()).arg(startTime());
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
