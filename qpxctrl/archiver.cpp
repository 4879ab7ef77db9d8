#include "qpxctrl/archiver.h"

#include "platform/component/control.h"
#include "platform/nativepath.h"
#include "platform/trust.h"

#include <algorithm>
#include <dlfcn.h>
#include <mutex>

namespace qpx {
namespace {

using UnlhaFn = decltype(&Unlha);
using CancelFn = decltype(&UnlhaCancelRunning);

constexpr char kLibraryName[] = "libunlha32.so";

struct Binding {
    QByteArray requested; // the override it was loaded for, empty for the default
    UnlhaFn entry = nullptr;
    CancelFn cancel = nullptr; // optional: not every archiver can stop a running call
};

std::mutex gMutex;
Binding gBinding;

QByteArray ownFolder()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&CallArchiver), &info) == 0 || !info.dli_fname)
        return {};
    const QByteArray module(info.dli_fname);
    return module.left(std::max<qsizetype>(module.lastIndexOf('/'), 0));
}

// The library file to load: the one beside the control, or the override; a bare name is left to
// the loader's usual search, the one that found this program's own libraries. A file that
// another account could replace would run its code here: it is never loaded.
QByteArray checkedLibrary(const QByteArray& requested)
{
    QByteArray library = requested.isEmpty() ? ownFolder() + '/' + kLibraryName : requested;
    if (!library.contains('/'))
        return library;
    const platform::TrustVerdict verdict = platform::checkTrustedFile(platform::fromNativePath(library));
    if (verdict.trusted)
        return platform::toNativePath(verdict.resolved);
    if (!verdict.missing)
        throw platform::component::AutomationError(platform::kPermissionDenied,
            platform::untrustedMessage(QStringLiteral("アーカイバ"), platform::fromNativePath(library), verdict.reason));
    return requested.isEmpty() ? QByteArray(kLibraryName) : library;
}

// Libraries are never unloaded: the entry is kept for later calls.
Binding load(const QByteArray& requested)
{
    const QByteArray library = checkedLibrary(requested);
    const QString shown = platform::shownPath(platform::fromNativePath(library));
    void* handle = ::dlopen(library.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw platform::component::automationError(platform::kFileNotFound,
            QStringLiteral("(アーカイバ %1 を読み込めません: %2)").arg(shown, QString::fromLocal8Bit(::dlerror())));
    auto entry = reinterpret_cast<UnlhaFn>(::dlsym(handle, "Unlha"));
    if (!entry)
        throw platform::component::automationError(platform::component::kEntryPointNotFound,
            QStringLiteral("(アーカイバ %1 に Unlha がありません)").arg(shown));
    return Binding {requested, entry, reinterpret_cast<CancelFn>(::dlsym(handle, "UnlhaCancelRunning"))};
}

UnlhaFn entryPoint()
{
    const QByteArray requested = qgetenv(kArchiverOverride);
    std::lock_guard lock(gMutex);
    if (!gBinding.entry || gBinding.requested != requested)
        gBinding = load(requested);
    return gBinding.entry;
}

} // namespace

void CancelRunningArchiver()
{
    CancelFn cancel = nullptr;
    {
        std::lock_guard lock(gMutex);
        cancel = gBinding.cancel;
    }
    if (cancel)
        cancel();
}

ArchiverReport CallArchiver(const QString& commandLine, std::uint32_t bufferSize)
{
    const UnlhaFn unlha = entryPoint();
    QByteArray output(qsizetype(bufferSize) - 1, ' ');
    output.append('\0');
    const QByteArray line = platform::toNativePath(commandLine); // names keep their bytes
    ArchiverReport report;
    report.result = unlha(nullptr, line.constData(), output.data(), bufferSize);
    const qsizetype end = output.indexOf('\0');
    // A path in the report keeps its bytes, shown as \xHH where they are no UTF-8.
    report.output = platform::shownPath(platform::fromNativePath(output.left(end < 0 ? output.size() : end))).trimmed();
    return report;
}

} // namespace qpx
