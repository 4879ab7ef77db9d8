#include "qpxctrl/archiver.h"

#include "platform/component/control.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <mutex>

namespace qpx {
namespace {

using UnlhaFn = decltype(&Unlha);

constexpr char kLibraryName[] = "libunlha32.so";

struct Binding {
    QByteArray requested; // the override it was loaded for, empty for the default
    UnlhaFn entry = nullptr;
};

std::mutex gMutex;
Binding gBinding;

QByteArray ownFolder()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&CallArchiver), &info) == 0 || !info.dli_fname)
        return {};
    return QFile::encodeName(QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath());
}

// Libraries are never unloaded: the entry is kept for later calls.
UnlhaFn load(const QByteArray& requested)
{
    QByteArray library = requested;
    if (library.isEmpty()) {
        const QByteArray beside = ownFolder() + '/' + kLibraryName;
        library = QFileInfo::exists(QFile::decodeName(beside)) ? beside : QByteArray(kLibraryName);
    }
    void* handle = ::dlopen(library.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw platform::component::automationError(platform::kFileNotFound,
            QStringLiteral("(アーカイバ %1 を読み込めません: %2)")
                .arg(QFile::decodeName(library), QString::fromLocal8Bit(::dlerror())));
    auto entry = reinterpret_cast<UnlhaFn>(::dlsym(handle, "Unlha"));
    if (!entry)
        throw platform::component::automationError(platform::component::kEntryPointNotFound,
            QStringLiteral("(アーカイバ %1 に Unlha がありません)").arg(QFile::decodeName(library)));
    return entry;
}

UnlhaFn entryPoint()
{
    const QByteArray requested = qgetenv(kArchiverOverride);
    std::lock_guard lock(gMutex);
    if (!gBinding.entry || gBinding.requested != requested)
        gBinding = Binding {requested, load(requested)};
    return gBinding.entry;
}

} // namespace

ArchiverReport CallArchiver(const QString& commandLine, std::uint32_t bufferSize)
{
    const UnlhaFn unlha = entryPoint();
    QByteArray output(qsizetype(bufferSize) - 1, ' ');
    output.append('\0');
    const QByteArray line = commandLine.toLocal8Bit();
    ArchiverReport report;
    report.result = unlha(nullptr, line.constData(), output.data(), bufferSize);
    const qsizetype end = output.indexOf('\0');
    report.output = QString::fromLocal8Bit(output.left(end < 0 ? output.size() : end)).trimmed();
    return report;
}

} // namespace qpx
